#pragma once

#include "system/process_api.h"

// ProcessApi over kernel32.
class ChildProcesses : public ProcessApi {
 public:
  SysResult<bool> StartProcess(const char16_t* applicationName, char16_t* commandLine,
                               std::uint32_t creationFlags, ProcessHandles* handles) override;
  std::uint32_t WaitForObject(ProcessHandle process, std::uint32_t milliseconds) override;
  bool ReadExitCode(ProcessHandle process, std::uint32_t* exitCode) override;
};
