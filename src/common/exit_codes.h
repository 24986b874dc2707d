#pragma once

#include <cstdint>

// The launcher's own exit codes. Any other exit code is the Windows Installer's (or a child
// program's) code of the failed provider or plug-in installation, or the Windows error of a
// system DLL that cannot be loaded or a child program that cannot be started.

// Done; also: help shown, question answered No, dialog cancelled, restart declined or started
// (also when the help, the question or the dialog was not shown because nobody could see it).
// The installer's ERROR_SUCCESS as well.
constexpr std::uint32_t kResultSuccess = 0;

// Not run with administrator rights.
constexpr std::uint32_t kExitNotAdmin = 1;

// The Windows version cannot be read.
constexpr std::uint32_t kExitVersionUnreadable = 2;

// Windows 2000 below SP4.
constexpr std::uint32_t kExitWin2000WithoutSp4 = 3;

// Windows XP below SP2.
constexpr std::uint32_t kExitWinXpWithoutSp2 = 4;

// Windows Server 2003 below SP2.
constexpr std::uint32_t kExitWin2003WithoutSp2 = 5;

// With -csp: the installed CSP is older than the oldest version upgraded in place and cannot
// be upgraded.
constexpr std::uint32_t kExitCspTooOld = 6;

// A restart was wanted but could not be started.
constexpr std::uint32_t kExitRestartFailed = 7;

// Windows older than Windows 2000.
constexpr std::uint32_t kExitPlatformTooOld = 8;

// A DLL redirection "<program file>.local" (file or folder) lies next to the launcher: refused
// before anything is loaded or installed.
constexpr std::uint32_t kExitDllRedirection = 9;

// -silent -norestart only: done, but Windows must be restarted, and the restart is left to the
// caller. Also what an installation answers when it needs the restart
// (ERROR_SUCCESS_REBOOT_REQUIRED).
constexpr std::uint32_t kResultRestartRequired = 3010;
// ERROR_INSTALL_ALREADY_RUNNING: another installation holds the Windows Installer. Also the
// launcher's answer when the users of the programs that hold the plug-in postponed its upgrade
// (-askclose): deployment systems try such a run again later.
constexpr std::uint32_t kResultInstallInProgress = 1618;

// ERROR_INVALID_COMMAND_LINE: a number option without its number or with one out of range
// (msiexec's answer to a bad command line). Nothing is installed.
constexpr std::uint32_t kExitInvalidCommandLine = 1639;

// -silent only: the launcher itself failed internally (an allocation that failed, a string
// grown past its maximum) and ended at once: ERROR_INTERNAL_ERROR. None of the codes above, of
// the Windows Installer's answers, or of the Windows errors of a program or DLL that cannot be
// started or loaded is this number.
constexpr std::uint32_t kExitInternalFailure = 1359;

// Anything but success and success-with-restart.
inline bool IsInstallFailure(std::uint32_t result) {
  return result != kResultSuccess && result != kResultRestartRequired;
}
