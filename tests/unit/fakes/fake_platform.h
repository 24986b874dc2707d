#pragma once

#include <string>
#include <vector>

#include "fakes/fake_kernel.h"
#include "system/platform_api.h"

// Process and system functions with scripted answers.
class FakePlatform : public PlatformApi {
 public:
  explicit FakePlatform(FakeKernel& kernel) : kernel_(kernel) {}

  // Scripted answers.
  bool admin = true;
  bool versionFails = false;
  OsVersion version{284, 6, 1, 1, 7601};
  bool hasRtlGetVersion = true;
  OsVersion ntVersion{284, 6, 1, 1, 7601};
  bool hasKernel32 = true;
  bool hasIsWow64Process = true;
  bool wow64 = false;
  bool isWow64CallFails = false;
  bool tokenOpens = true;
  bool privilegeGranted = true;  // false: the adjustment leaves ERROR_NOT_ALL_ASSIGNED
  bool privilegeLookupFails = false;
  bool splitFails = false;
  bool exitWindowsAccepted = true;
  bool shutdownAccepted = true;
  bool hasInitiateSystemShutdownEx = true;

  // What was asked.
  std::vector<std::uint32_t> versionRecordSizes;
  int moduleLookups = 0;
  int procLookups = 0;
  int isWow64Calls = 0;
  std::vector<std::uint32_t> tokenAccess;
  std::vector<ProcessHandle> tokenProcesses;
  std::vector<std::u16string> privilegeNames;
  std::vector<bool> privilegeSystemNameGiven;  // true when a system name was passed
  std::vector<bool> adjustDisableAll;
  std::vector<std::uint32_t> adjustedLuids;  // low parts of the identifiers adjusted
  std::vector<std::u16string> splitTexts;    // every text given to SplitCommandLine
  std::vector<std::uint32_t> privilegeAttributes;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> exitWindowsCalls;  // flags, reason
  std::vector<std::uint32_t> shutdownReasons;  // one per RequestSystemShutdown
  bool serviceAccount = false;                 // runs as LocalSystem and the like
  std::uint16_t nativeMachine = 0;             // IsWow64Process2's answer; 0: no such function
  int x64Attributes = -1;  // GetMachineTypeAttributes for x64; -1: no such function
  // The answers of the restart calls in turn (0 accepted, else the error); when they are used
  // up, the calls answer as exitWindowsAccepted and shutdownAccepted say.
  std::vector<std::uint32_t> restartAnswers;
  std::vector<std::uint32_t> waits;

  std::uint32_t LastError() override { return kernel_.lastError; }
  ProcessHandle CurrentProcess() override { return kInvalidHandle<ProcessHandle>; }

  // CommandLineToArgvW's rules for the arguments after the program name.
  bool SplitCommandLine(const std::u16string& text, std::vector<std::u16string>* tokens) override;

  bool IsUserAdmin() override { return admin; }
  bool ReadVersion(OsVersion* record) override {
    versionRecordSizes.push_back(record->size);
    if (versionFails || (record->size != 284 && record->size != 276)) {
      kernel_.lastError = 87;
      return false;
    }
    record->major = version.major;
    record->minor = version.minor;
    record->servicePackMajor = record->size == 284 ? version.servicePackMajor : 0;
    record->build = version.build;
    return true;
  }
  // RtlGetVersion: what Windows really is, or no such export.
  bool ReadNtVersion(OsVersion* record) override {
    if (!hasRtlGetVersion || (record->size != 284 && record->size != 276)) return false;
    record->major = ntVersion.major;
    record->minor = ntVersion.minor;
    record->servicePackMajor = record->size == 284 ? ntVersion.servicePackMajor : 0;
    record->build = ntVersion.build;
    return true;
  }
  ModuleHandle FindModule(const char16_t* name) override {
    ++moduleLookups;
    return hasKernel32 && std::u16string(name) == u"kernel32" ? 0x7C800000 : 0;
  }
  ProcAddress FindProc(ModuleHandle module, const char* name) override {
    ++procLookups;
    return module != 0 && hasIsWow64Process && std::string(name) == "IsWow64Process" ? 0x7C801234
                                                                                     : 0;
  }
  bool CallIsWow64Process(ProcAddress function, ProcessHandle process, int* isWow64) override {
    (void)function;
    (void)process;
    ++isWow64Calls;
    if (isWow64CallFails) return false;
    *isWow64 = wow64 ? 1 : 0;
    return true;
  }
  bool OpenToken(ProcessHandle process, std::uint32_t access, TokenHandle* token) override {
    tokenProcesses.push_back(process);
    tokenAccess.push_back(access);
    if (!tokenOpens) {
      kernel_.lastError = 5;
      return false;
    }
    *token = kernel_.OpenHandle("token");
    tokenCanAdjust_ = (access & kTokenAdjustPrivileges) != 0;
    return true;
  }
  bool LookupPrivilege(const char16_t* systemName, const char16_t* name, Luid* luid) override {
    privilegeNames.emplace_back(name);
    privilegeSystemNameGiven.push_back(systemName != nullptr);
    if (privilegeLookupFails || std::u16string(name) != u"SeShutdownPrivilege") {
      kernel_.lastError = 1313;  // ERROR_NO_SUCH_PRIVILEGE
      return false;
    }
    luid->lowPart = 19;  // SE_SHUTDOWN_PRIVILEGE
    luid->highPart = 0;
    return true;
  }
  // Like AdjustTokenPrivileges: succeeds on a valid token and sets the last error to 0, or to
  // ERROR_NOT_ALL_ASSIGNED when the token lacks the privilege; fails on an unknown privilege
  // and, with ERROR_ACCESS_DENIED, on a token opened without TOKEN_ADJUST_PRIVILEGES.
  bool AdjustPrivilege(TokenHandle token, bool disableAll, const Luid& luid,
                       std::uint32_t attributes) override {
    adjustDisableAll.push_back(disableAll);
    adjustedLuids.push_back(luid.lowPart);
    privilegeAttributes.push_back(attributes);
    kernel_.Log("AdjustTokenPrivileges");
    if (!kernel_.IsOpen(token)) {
      kernel_.lastError = 6;
      return false;
    }
    if (!tokenCanAdjust_) {
      kernel_.lastError = 5;
      return false;
    }
    if (luid.lowPart != 19 || luid.highPart != 0) {
      kernel_.lastError = 1313;
      return false;
    }
    kernel_.lastError = privilegeGranted ? 0 : 1300;  // ERROR_NOT_ALL_ASSIGNED
    shutdownPrivilegeEnabled_ = privilegeGranted && (attributes & kSePrivilegeEnabled) != 0;
    return true;
  }
  bool RunsAsServiceAccount() override { return serviceAccount; }
  bool ReadNativeMachine(std::uint16_t* native) override {
    *native = nativeMachine;
    return nativeMachine != 0;
  }
  bool ReadMachineAttributes(std::uint16_t machine, std::uint32_t* attributes) override {
    if (x64Attributes < 0 || machine != 0x8664) return false;
    *attributes = static_cast<std::uint32_t>(x64Attributes);
    return true;
  }
  bool RequestExitWindows(std::uint32_t flags, std::uint32_t reason) override {
    exitWindowsCalls.emplace_back(flags, reason);
    kernel_.Log("ExitWindowsEx");
    return Answer(exitWindowsAccepted);
  }
  void Wait(std::uint32_t milliseconds) override { waits.push_back(milliseconds); }
  // Fails with ERROR_ACCESS_DENIED when not accepted.
  bool RequestSystemShutdown(std::uint32_t reason, ShutdownCall* used) override {
    shutdownReasons.push_back(reason);
    *used = hasInitiateSystemShutdownEx ? ShutdownCall::kInitiateSystemShutdownEx
                                        : ShutdownCall::kInitiateSystemShutdown;
    kernel_.Log(hasInitiateSystemShutdownEx ? "InitiateSystemShutdownExW"
                                            : "InitiateSystemShutdownW");
    return Answer(shutdownAccepted);
  }

 protected:
  bool CloseKernelObject(std::uintptr_t handle) override { return kernel_.CloseHandle(handle); }

 private:
  // The next scripted answer of a restart call; ERROR_ACCESS_DENIED for a refusal otherwise.
  // Windows refuses a restart with ERROR_PRIVILEGE_NOT_HELD until the caller has enabled
  // SeShutdownPrivilege.
  bool Answer(bool accepted) {
    if (!shutdownPrivilegeEnabled_) {
      kernel_.lastError = 1314;
      return false;
    }
    std::uint32_t error = accepted ? 0 : 5;
    if (!restartAnswers.empty()) {
      error = restartAnswers.front();
      restartAnswers.erase(restartAnswers.begin());
    }
    if (error != 0) kernel_.lastError = error;
    return error == 0;
  }

  FakeKernel& kernel_;
  bool tokenCanAdjust_ = false;            // the last token opened has TOKEN_ADJUST_PRIVILEGES
  bool shutdownPrivilegeEnabled_ = false;  // SeShutdownPrivilege enabled in this process
};
