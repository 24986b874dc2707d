// Before the setup runs: the refusal of a DLL redirection next to the program, and msi.dll and
// crypt32.dll loaded from the system directory, with the box and log line of a refused start.
#include "win32/launcher/startup_checks.h"

#include <windows.h>

#include "common/number_text.h"
#include "ui/localized_strings.h"
#include "ui/string_ids.h"
#include "win32/program_path.h"
#include "win32/system_libraries.h"
#include "win32/unattended_run.h"
#include "win32/wide_text.h"

namespace {

std::uint32_t Refuse(const StartScreen& screen, const Prompts& prompts, const std::u16string& text,
                     std::uint32_t exitCode) {
  screen.log.Line({"start refused: ", text});
  const BoxFate fate = prompts.FateOf(BoxKind::kUnlessSilent);
  if (fate == BoxFate::kShown) {
    screen.ui.ShowMessageBox(text, LoadLocalizedString(screen.resources, kStrCaption),
                             kMbIconError);
  } else if (fate == BoxFate::kUnseen) {
    screen.log.Line({"start refusal not shown: nobody can see it"});
  }
  return exitCode;
}

}  // namespace

std::u16string FindDllRedirection() {
  std::u16string program;
  if (!ReadProgramPath(&program).value) return u".local";
  const std::u16string redirection = program + u".local";
  if (GetFileAttributesW(Wide(redirection)) == INVALID_FILE_ATTRIBUTES) return {};
  return redirection.substr(redirection.find_last_of(u"\\/") + 1);
}

std::u16string DllRedirectionText(const std::u16string& redirection) {
  return u"Рядом с программой установки найдено перенаправление системных библиотек: «" +
         redirection + u"».\nУдалите этот файл или папку и запустите установку снова.";
}

std::u16string LibraryFailureText(const char16_t* library, std::uint32_t error) {
  return u"Не удалось загрузить системную библиотеку " + std::u16string(library) + u": " +
         DecimalText(error) + u".";
}

std::uint32_t PrepareStart(const StartScreen& screen, const Prompts& prompts, DllSearch search,
                           SystemLibraries& libraries) {
  // Nobody to answer a box: no run that nobody watches may end on one, -silent or not.
  if (prompts.Unattended()) EnterUnattendedMode();
  const std::u16string redirection = FindDllRedirection();
  if (!redirection.empty()) {
    return Refuse(screen, prompts, DllRedirectionText(redirection), kExitDllRedirection);
  }
  if (const std::uint32_t error = libraries.Load(search); error != 0) {
    return Refuse(screen, prompts, LibraryFailureText(Utf16(libraries.failedLibrary()), error),
                  error);
  }
  return 0;
}
