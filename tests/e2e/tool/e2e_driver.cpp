// Starts a program, watches and answers its windows, and reports what it saw and the
// program's full 32-bit exit code. Never waits longer than --timeout-ms for the program.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "driver_options.h"
#include "owned_handles.h"
#include "process_watch.h"
#include "report_file.h"
#include "window_watcher.h"

namespace {

constexpr DWORD kPollMs = 10;
constexpr DWORD kKilledExitCode = 0xDEADu;

std::wstring QuoteProgram(const std::wstring& exe) {
  return L"\"" + exe + L"\"";
}

// The Windows version this prefix reports, as the program under test will see it.
void RecordWindowsVersion(ReportFile& report) {
  OSVERSIONINFOEXW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) {
    report.SetWindowsVersion(version.dwMajorVersion, version.dwMinorVersion,
                             version.wServicePackMajor);
  }
}

// A window station of its own without WSF_VISIBLE, with its desktop "Default"; the driver
// itself stays on its own station. Both live until the driver ends.
struct InvisibleDesktop {
  explicit InvisibleDesktop(const std::wstring& stationName)
      : station(CreateWindowStationW(stationName.c_str(), 0, WINSTA_ALL_ACCESS, nullptr)),
        desktop(MakeDesktop(station.Get())),
        name(stationName + L"\\Default") {}

  static HDESK MakeDesktop(HWINSTA station) {
    if (station == nullptr) return nullptr;
    HWINSTA own = GetProcessWindowStation();
    if (!SetProcessWindowStation(station)) return nullptr;
    HDESK desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(own);
    return desktop;
  }

  OwnedStation station;
  OwnedDesktop desktop;
  std::wstring name;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  DriverOptions options;
  std::wstring error;
  if (!ParseDriverOptions(argc, argv, options, error)) {
    std::fwprintf(stderr, L"e2e_driver: %ls\n", error.c_str());
    return 2;
  }
  ReportFile report(options.report);
  RecordWindowsVersion(report);
  // Wine starts the desktop process on the first use of the window station. Doing so here,
  // before the program starts, keeps it from racing the program's own first window and
  // from showing up as the program's child process.
  GetDesktopWindow();

  // The text after the program name, as the launcher's start-up code will hand it on.
  std::wstring commandLine = QuoteProgram(options.exe);
  if (!options.args.empty()) commandLine += L" " + options.args;

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  std::unique_ptr<InvisibleDesktop> invisible;
  if (!options.station.empty()) {
    invisible = std::make_unique<InvisibleDesktop>(options.station);
    if (invisible->desktop.Get() == nullptr) {
      report.SetDriverError(L"no invisible window station: error " +
                            std::to_wstring(GetLastError()));
      report.Write(true);
      return 3;
    }
    startup.lpDesktop = &invisible->name[0];
  }
  PROCESS_INFORMATION info = {};
  const BOOL started =
      CreateProcessW(options.exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                     options.cwd.empty() ? nullptr : options.cwd.c_str(), &startup, &info);
  if (!started) {
    report.SetStarted(false, GetLastError());
    report.Write(true);
    return 3;
  }
  OwnedHandle process(info.hProcess);
  OwnedHandle thread(info.hThread);
  report.SetStarted(true, 0);
  report.Write(false);

  const DWORD startTick = GetTickCount();
  WindowWatcher watcher(info.dwProcessId, options, report);
  ProcessWatch children(info.dwProcessId, report, startTick);
  for (;;) {
    if (WaitForSingleObject(process.Get(), kPollMs) != WAIT_TIMEOUT) break;
    children.Scan();
    watcher.Scan();
    if (GetTickCount() - startTick > options.timeoutMs) {
      report.SetTimeout();
      TerminateProcess(process.Get(), kKilledExitCode);
      WaitForSingleObject(process.Get(), 5000);
      report.Write(true);
      return 0;
    }
  }

  // A child started just before the end is still listed under the ended parent.
  children.Scan();

  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.Get(), &exitCode)) {
    report.SetDriverError(L"GetExitCodeProcess failed");
  } else {
    report.SetExitCode(exitCode);
  }
  return report.Write(true) ? 0 : 4;
}
