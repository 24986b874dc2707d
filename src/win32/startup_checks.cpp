#include "win32/startup_checks.h"

#include <windows.h>

#include "common/number_text.h"
#include "setup/command_line.h"
#include "setup/setup_options.h"
#include "ui/localized_strings.h"
#include "ui/string_ids.h"
#include "win32/system_libraries.h"
#include "win32/unattended_run.h"
#include "win32/wide_text.h"

namespace {

// Longest path the system hands out (in UTF-16 code units, with the terminating zero).
constexpr DWORD kLongestPath = 32768;

// Shows nothing: the command line is read without any of the boxes its reading may call for.
class NoUi : public UiApi {
 public:
  int ShowMessageBox(const std::u16string&, const std::u16string&, std::uint32_t) override {
    return 0;
  }
  bool ShowConfigDialog(SetupOptions&) override { return false; }
  void CreateProgressThread(bool) override {}
  void ResumeProgressThread() override {}
  void EndProgressThread() override {}
};

// The full path of the running program; empty when it cannot be read.
std::u16string ProgramPath() {
  std::u16string path;
  for (DWORD room = MAX_PATH; room <= kLongestPath; room *= 2) {
    path.resize(room);
    const DWORD length = GetModuleFileNameW(nullptr, Wide(&path[0]), room);
    if (length == 0) return {};
    if (length < room) {
      path.resize(length);
      return path;
    }
  }
  return {};
}

std::uint32_t Refuse(const System& sys, bool silent, const std::u16string& text,
                     std::uint32_t exitCode) {
  sys.log.Line({"start refused: ", text});
  if (silent) return exitCode;
  if (sys.ui.SomebodyCanSee()) {
    sys.ui.ShowMessageBox(text, LoadLocalizedString(sys.resources, kStrCaption), kMbIconError);
  } else {
    sys.log.Line({"start refusal not shown: nobody can see it"});
  }
  return exitCode;
}

}  // namespace

std::u16string FindDllRedirection() {
  const std::u16string program = ProgramPath();
  if (program.empty()) return u".local";
  const std::u16string redirection = program + u".local";
  if (GetFileAttributesW(Wide(redirection)) == INVALID_FILE_ATTRIBUTES) return {};
  return redirection.substr(redirection.find_last_of(u"\\/") + 1);
}

bool AsksForSilence(const System& sys, const std::u16string& commandLine) {
  NoUi noUi;
  const System quiet{sys.installer, sys.files, sys.processes, sys.certs,
                     sys.platform,  noUi,      sys.resources};
  SetupOptions options;
  return ParseCommandLine(quiet, commandLine, options) == ParseOutcome::kParsed && options.silent;
}

std::u16string DllRedirectionText(const std::u16string& redirection) {
  return u"Рядом с программой установки найдено перенаправление системных библиотек: «" +
         redirection + u"».\nУдалите этот файл или папку и запустите установку снова.";
}

std::u16string LibraryFailureText(const char16_t* library, std::uint32_t error) {
  return u"Не удалось загрузить системную библиотеку " + std::u16string(library) + u": " +
         DecimalText(error) + u".";
}

std::uint32_t PrepareStart(const System& sys, SystemLibraries& libraries, DllSearch search,
                           const std::u16string& commandLine) {
  const bool silent = AsksForSilence(sys, commandLine);
  if (silent) EnterUnattendedMode();
  const std::u16string redirection = FindDllRedirection();
  if (!redirection.empty()) {
    return Refuse(sys, silent, DllRedirectionText(redirection), kExitDllRedirection);
  }
  if (const std::uint32_t error = libraries.Load(search); error != 0) {
    return Refuse(sys, silent, LibraryFailureText(Utf16(libraries.failedLibrary()), error), error);
  }
  return 0;
}
