#include <windows.h>

#include <cstdint>
#include <string>

#include "actions/core_install_stages.h"
#include "actions/setup_state.h"
#include "common/number_text.h"
#include "log/file_run_log.h"
#include "log/log_lines.h"
#include "setup/command_line.h"
#include "setup/resumed_run.h"
#include "setup/setup_driver.h"
#include "system/system.h"
#include "win32/certificate_stores.h"
#include "win32/dll_search.h"
#include "win32/kernel_files.h"
#include "win32/launcher/child_processes.h"
#include "win32/launcher/com_apartment.h"
#include "win32/launcher/module_resources.h"
#include "win32/launcher/msi_installer.h"
#include "win32/launcher/msi_tables.h"
#include "win32/launcher/run_log_entry.h"
#include "win32/launcher/startup_checks.h"
#include "win32/launcher/temp_log_files.h"
#include "win32/launcher/viewer_facts_reader.h"
#include "win32/launcher/windows_holders.h"
#include "win32/launcher/windows_resume.h"
#include "win32/launcher/windows_ui.h"
#include "win32/system_libraries.h"
#include "win32/unattended_run.h"
#include "win32/wide_text.h"
#include "win32/windows_platform.h"

namespace {

// "internal failure: exit code 1359", spelled out from the exit code by the compiler.
struct InternalFailureLine {
  char text[40] = {};
  constexpr InternalFailureLine() {
    constexpr char kStart[] = "internal failure: exit code ";
    std::size_t length = 0;
    for (; kStart[length] != '\0'; ++length) text[length] = kStart[length];
    PutDecimal(text + length, kExitInternalFailure, 1, '0');
  }
};
constexpr InternalFailureLine kInternalFailureLine;

// The last line of a run that ends on an internal failure; allocates nothing.
void LogInternalFailure() {
  AppendToRunLog(
      InUnattendedMode() ? kInternalFailureLine.text : "internal failure: the run is aborted",
      LineKind::kClosing);
}

// The parts of the Windows layer that need neither msi.dll nor crypt32.dll.
struct BaseLayer {
  WindowsPlatform& platform;
  WindowsUi& ui;
  ModuleResources& resources;
  FileRunLog& log;
};

// The setup itself. The installer and certificate adapters are made here, from the libraries
// that PrepareStart loaded, and exist nowhere else: none can call into a table not yet filled.
std::uint32_t Install(const SystemLibraries& libraries, DllSearch search, const BaseLayer& base,
                      const CommandLine& commandLine, WindowsResume& resume,
                      const ResumeLaunch& launch) {
  // Outlives the installer; its result() is the answer of the COM initialisation.
  ComApartment com(search);
  MsiInstaller installer(libraries.Msi(), &com);
  MsiTables tables(libraries.Msi());
  CertificateStores certs(libraries.Crypt());
  KernelFiles files;
  ChildProcesses processes;
  System sys{installer, files,          processes, certs,  base.platform,
             base.ui,   base.resources, base.log,  &resume};
  sys.tables = &tables;
  WindowsHolders holders(search, base.platform);
  sys.holders = &holders;
  SetupState state;
  CoreInstallStages stages(sys, state);
  if (launch.resumed) return RunResumed(sys, stages, state, launch);
  return RunSetup(sys, stages, state, commandLine);
}

}  // namespace

// The C runtime hands over the command line without the program name and the blanks after it,
// and ends the process with the returned value as its 32-bit exit code.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLineText, int) {
  // "Best practice is that all applications call the process-wide SetErrorMode function with a
  // parameter of SEM_FAILCRITICALERRORS at startup": before anything touches a drive, the log
  // file first of all.
  FailCriticalErrors();

  // The program runs elevated from wherever it was put (a download folder, a removable disk, a
  // share): no DLL from there may be loaded. So the search is narrowed before anything loads a
  // DLL by name, and msi.dll and crypt32.dll are not in the import table but loaded from the
  // system directory by PrepareStart.
  const DllSearch search = RestrictDllSearch();

  WindowsPlatform platform;
  ModuleResources resources(instance);
  WindowsUi ui(instance, resources);
  TempLogFiles logFiles;
  FileRunLog log(logFiles);
  log.Open();
  const ActiveRunLog activeLog(log);
  // A copy that a startup task runs after the restart, to finish an upgrade, shows nothing: it
  // runs as SYSTEM before anybody logs on, and takes its arguments from its own folder.
  WindowsResume resume(search);
  const ResumeLaunch launch = DetectResumeLaunch(resume);
  ui.SetSomebodyCanSee(!launch.resumed && DecideSomebodyCanSee(ReadViewerFacts(), log));
  SetInternalFailureHook(LogInternalFailure);
  // Read once: start-up learns -silent from it, the setup everything else.
  const CommandLine commandLine = launch.resumed
                                      ? ResumedCommandLine(launch)
                                      : ReadCommandLine(platform, Utf16String(commandLineText));

  SystemLibraries libraries;
  if (const std::uint32_t refused =
          PrepareStart({ui, resources, log}, RunPrompts(commandLine, ui), search, libraries);
      refused != 0) {
    return static_cast<int>(LogExitCode(log, refused));
  }
  const std::uint32_t exitCode =
      Install(libraries, search, {platform, ui, resources, log}, commandLine, resume, launch);
  return static_cast<int>(LogExitCode(log, exitCode));
}
