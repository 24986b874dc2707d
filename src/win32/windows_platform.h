#pragma once

#include "system/platform_api.h"

// PlatformApi over kernel32, advapi32, user32 and shell32.
class WindowsPlatform : public PlatformApi {
 public:
  std::uint32_t LastError() override;
  ProcessHandle CurrentProcess() override;
  bool SplitCommandLine(const std::u16string& text, std::vector<std::u16string>* tokens) override;
  bool IsUserAdmin() override;
  bool ReadVersion(OsVersion* version) override;
  bool ReadNtVersion(OsVersion* version) override;
  ModuleHandle FindModule(const char16_t* name) override;
  ProcAddress FindProc(ModuleHandle module, const char* name) override;
  bool ReadNativeMachine(std::uint16_t* native) override;
  bool ReadMachineAttributes(std::uint16_t machine, std::uint32_t* attributes) override;
  bool CallIsWow64Process(ProcAddress function, ProcessHandle process, int* isWow64) override;
  bool OpenToken(ProcessHandle process, std::uint32_t access, TokenHandle* token) override;
  bool LookupPrivilege(const char16_t* systemName, const char16_t* name, Luid* luid) override;
  bool AdjustPrivilege(TokenHandle token, bool disableAll, const Luid& luid,
                       std::uint32_t attributes) override;
  bool RunsAsServiceAccount() override;
  bool RequestExitWindows(std::uint32_t flags, std::uint32_t reason) override;
  bool RequestSystemShutdown(std::uint32_t reason, ShutdownCall* used) override;
  void Wait(std::uint32_t milliseconds) override;

 protected:
  bool CloseKernelObject(std::uintptr_t handle) override;
};
