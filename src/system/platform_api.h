#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "system/handles.h"

// The parts of OSVERSIONINFOEXW the launcher looks at. `size` is the record's size field,
// set by the caller (284 asks for the extended record) before ReadVersion or ReadNtVersion.
struct OsVersion {
  static constexpr std::uint32_t kExtendedSize = 284;  // sizeof(OSVERSIONINFOEXW)

  std::uint32_t size = 0;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint16_t servicePackMajor = 0;
  std::uint32_t build = 0;
};

struct Luid {
  std::uint32_t lowPart = 0;
  std::int32_t highPart = 0;
};

constexpr std::uint32_t kTokenAdjustPrivileges = 0x20;
constexpr std::uint32_t kTokenQuery = 0x8;
constexpr std::uint32_t kSePrivilegeEnabled = 2;
constexpr std::uint32_t kEwxReboot = 0x2;
constexpr std::uint32_t kEwxForce = 0x4;
// SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION
constexpr std::uint32_t kShutdownReasonPlannedInstallation = 0x80040002;

// Which function RequestSystemShutdown called: InitiateSystemShutdownExW, or
// InitiateSystemShutdownW where advapi32 lacks the Ex form (Windows 2000).
enum class ShutdownCall { kInitiateSystemShutdownEx, kInitiateSystemShutdown };

// Process and system functions of kernel32, advapi32, user32 and shell32.
class PlatformApi {
 public:
  virtual ~PlatformApi() = default;

  // GetLastError of the calling thread.
  virtual std::uint32_t LastError() = 0;
  // CloseHandle of a process, thread or token handle (and of no other kind).
  bool CloseSysHandle(ProcessHandle handle) { return CloseKernelObject(RawHandle(handle)); }
  bool CloseSysHandle(ThreadHandle handle) { return CloseKernelObject(RawHandle(handle)); }
  bool CloseSysHandle(TokenHandle handle) { return CloseKernelObject(RawHandle(handle)); }
  // GetCurrentProcess (a pseudo handle, never closed).
  virtual ProcessHandle CurrentProcess() = 0;

  // CommandLineToArgvW on `text`; false when the split fails.
  virtual bool SplitCommandLine(const std::u16string& text,
                                std::vector<std::u16string>* tokens) = 0;
  // IsUserAnAdmin.
  virtual bool IsUserAdmin() = 0;
  // GetVersionExW on the record whose size field the caller has set.
  virtual bool ReadVersion(OsVersion* version) = 0;
  // RtlGetVersion of ntdll, looked up at run time, on the same record: the version Windows
  // really is, where GetVersionExW answers 6.2 on Windows 8.1 and later for a program whose
  // manifest does not name them. False when ntdll does not export it.
  virtual bool ReadNtVersion(OsVersion* version) = 0;

  // GetModuleHandleW: 0 when the module is not loaded.
  virtual ModuleHandle FindModule(const char16_t* name) = 0;
  // GetProcAddress: 0 when the module has no such export.
  virtual ProcAddress FindProc(ModuleHandle module, const char* name) = 0;
  // IsWow64Process2 of kernel32, looked up at run time: the native machine
  // (IMAGE_FILE_MACHINE_*). False where kernel32 lacks it (before Windows 10 1709).
  virtual bool ReadNativeMachine(std::uint16_t* native) = 0;
  // GetMachineTypeAttributes of kernel32, looked up at run time: how programs of `machine` run
  // here (MACHINE_ATTRIBUTES). False where kernel32 lacks it (before Windows 11) or it fails.
  virtual bool ReadMachineAttributes(std::uint16_t machine, std::uint32_t* attributes) = 0;
  // Calls an IsWow64Process found by FindProc; `isWow64` receives the BOOL.
  virtual bool CallIsWow64Process(ProcAddress function, ProcessHandle process, int* isWow64) = 0;

  // OpenProcessToken.
  virtual bool OpenToken(ProcessHandle process, std::uint32_t access, TokenHandle* token) = 0;
  // LookupPrivilegeValueW.
  virtual bool LookupPrivilege(const char16_t* systemName, const char16_t* name, Luid* luid) = 0;
  // AdjustTokenPrivileges with one privilege and no previous state.
  virtual bool AdjustPrivilege(TokenHandle token, bool disableAll, const Luid& luid,
                               std::uint32_t attributes) = 0;
  // Whether the process runs as LocalSystem, LocalService or NetworkService: a service's
  // account, which is never the interactive user of a session.
  virtual bool RunsAsServiceAccount() = 0;
  // ExitWindowsEx.
  virtual bool RequestExitWindows(std::uint32_t flags, std::uint32_t reason) = 0;
  // An immediate restart of this computer without a message and without closing applications
  // by force: InitiateSystemShutdownExW(NULL, NULL, 0, FALSE, TRUE, reason), or
  // InitiateSystemShutdownW(NULL, NULL, 0, FALSE, TRUE) where the Ex form is missing. `used`
  // receives the call made.
  virtual bool RequestSystemShutdown(std::uint32_t reason, ShutdownCall* used) = 0;
  // Sleep.
  virtual void Wait(std::uint32_t milliseconds) = 0;

 protected:
  // CloseHandle, for the kinds CloseSysHandle accepts.
  virtual bool CloseKernelObject(std::uintptr_t handle) = 0;
};
