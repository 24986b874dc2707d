#include <windows.h>

#include <cstdint>
#include <string>

#include "actions/core_install_stages.h"
#include "setup/setup_driver.h"
#include "setup/setup_state.h"
#include "system/system.h"
#include "win32/certificate_stores.h"
#include "win32/child_processes.h"
#include "win32/kernel_files.h"
#include "win32/module_resources.h"
#include "win32/msi_installer.h"
#include "win32/wide_text.h"
#include "win32/windows_platform.h"
#include "win32/windows_ui.h"

// The C runtime hands over the command line without the program name and the blanks after it,
// and ends the process with the returned value as its 32-bit exit code.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  MsiInstaller installer;
  KernelFiles files;
  ChildProcesses processes;
  CertificateStores certs;
  WindowsPlatform platform;
  ModuleResources resources(instance);
  WindowsUi ui(instance, resources);
  const System sys{installer, files, processes, certs, platform, ui, resources};

  SetupState state;
  CoreInstallStages stages(sys, state);
  std::uint32_t exitCode = RunSetup(sys, stages, state, Utf16String(commandLine));
  return static_cast<int>(exitCode);
}
