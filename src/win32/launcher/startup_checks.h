#pragma once

#include <cstdint>
#include <string>

#include "common/exit_codes.h"
#include "system/resource_api.h"
#include "system/run_log.h"
#include "system/ui_api.h"
#include "ui/prompts.h"
#include "win32/dll_search.h"

class SystemLibraries;

// The file name "<program file>.local" when a file or directory of that name sits next to the
// running program: Windows then loads DLLs of the program from there. Empty when there is none.
// When the program's own path cannot be read the redirection cannot be ruled out, and the
// answer is ".local".
std::u16string FindDllRedirection();

// The message texts of a refused start.
std::u16string DllRedirectionText(const std::u16string& redirection);
std::u16string LibraryFailureText(const char16_t* library, std::uint32_t error);

// Where a refused start is shown and written down.
struct StartScreen {
  UiApi& ui;
  ResourceApi& resources;  // the caption's string
  RunLog& log;
};

// Before the setup runs: an unattended run (-silent, or one that nobody can see) enters the
// unattended mode (see unattended_run.h); then refuses a DLL redirection next to the program,
// and loads msi.dll and crypt32.dll from the system directory into `libraries`. Returns 0 to go
// on; otherwise the exit code (kExitDllRedirection, or the Windows error of the failed load)
// after an error box with caption 104, which -silent leaves out.
std::uint32_t PrepareStart(const StartScreen& screen, const Prompts& prompts, DllSearch search,
                           SystemLibraries& libraries);
