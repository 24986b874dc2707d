#include "win32/launcher/child_processes.h"

#include <windows.h>

#include "win32/handles.h"
#include "win32/wide_text.h"

SysResult<bool> ChildProcesses::StartProcess(const char16_t* applicationName, char16_t* commandLine,
                                             std::uint32_t creationFlags, ProcessHandles* handles) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(Wide(applicationName), Wide(commandLine), nullptr, nullptr, FALSE,
                      creationFlags, nullptr, nullptr, &startup, &started)) {
    return {false, GetLastError()};
  }
  handles->process = SysHandleOf<ProcessHandle>(started.hProcess);
  handles->thread = SysHandleOf<ThreadHandle>(started.hThread);
  return {true, 0};
}

std::uint32_t ChildProcesses::WaitForObject(ProcessHandle process, std::uint32_t milliseconds) {
  return WaitForSingleObject(HandleOf(process), milliseconds);
}

bool ChildProcesses::ReadExitCode(ProcessHandle process, std::uint32_t* exitCode) {
  DWORD code = 0;
  if (!GetExitCodeProcess(HandleOf(process), &code)) return false;
  *exitCode = code;
  return true;
}
