#pragma once

#include <cstdint>

#include "system/handles.h"
#include "system/sys_result.h"

constexpr std::uint32_t kCreateNoWindow = 0x08000000;  // CREATE_NO_WINDOW
constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;       // INFINITE
constexpr std::uint32_t kWaitFailed = 0xFFFFFFFFu;     // WAIT_FAILED

struct ProcessHandles {
  ProcessHandle process{};
  ThreadHandle thread{};
};

// Child processes. Handles are closed with PlatformApi::CloseSysHandle.
class ProcessApi {
 public:
  virtual ~ProcessApi() = default;

  // CreateProcessW with no security attributes, no handle inheritance, no environment block,
  // no current directory and a zeroed STARTUPINFOW. `applicationName` may be null;
  // `commandLine` is a writable, zero-terminated buffer that the call may modify. False and the
  // error when no process could be started.
  virtual SysResult<bool> StartProcess(const char16_t* applicationName, char16_t* commandLine,
                                       std::uint32_t creationFlags, ProcessHandles* handles) = 0;
  // WaitForSingleObject on a process.
  virtual std::uint32_t WaitForObject(ProcessHandle process, std::uint32_t milliseconds) = 0;
  // GetExitCodeProcess.
  virtual bool ReadExitCode(ProcessHandle process, std::uint32_t* exitCode) = 0;
};
