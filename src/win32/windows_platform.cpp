#include "win32/windows_platform.h"

#include <windows.h>

#include <shellapi.h>

#include "win32/find_export.h"
#include "win32/handles.h"
#include "win32/process_user.h"
#include "win32/wide_text.h"

namespace {

// What IsUserAnAdmin answers: whether the process token holds the enabled Administrators group.
// Used where shell32 does not export IsUserAnAdmin by name (Windows 2000).
bool TokenIsAdministrator() {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
    return false;
  }
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
  FreeSid(administrators);
  return member != FALSE;
}

}  // namespace

std::uint32_t WindowsPlatform::LastError() {
  return GetLastError();
}

bool WindowsPlatform::CloseKernelObject(std::uintptr_t handle) {
  return CloseHandle(reinterpret_cast<HANDLE>(handle)) != FALSE;
}

ProcessHandle WindowsPlatform::CurrentProcess() {
  return SysHandleOf<ProcessHandle>(GetCurrentProcess());
}

bool WindowsPlatform::SplitCommandLine(const std::u16string& text,
                                       std::vector<std::u16string>* tokens) {
  tokens->clear();
  // Given an empty text, CommandLineToArgvW answers with the program's own path; the text here
  // never holds the program name, so an empty text has no tokens.
  if (text.empty()) return true;
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(Wide(text), &count);
  if (arguments == nullptr) return false;
  LocalMemory owner(reinterpret_cast<HLOCAL>(arguments));
  for (int i = 0; i < count; ++i) tokens->push_back(Utf16String(arguments[i]));
  return true;
}

bool WindowsPlatform::IsUserAdmin() {
  using IsUserAnAdminFunction = BOOL(WINAPI*)();
  static const IsUserAnAdminFunction isUserAnAdmin = [] {
    HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
    IsUserAnAdminFunction found = nullptr;
    if (shell32 != nullptr) FindExport(shell32, "IsUserAnAdmin", &found);
    return found;
  }();
  if (isUserAnAdmin != nullptr) return isUserAnAdmin() != FALSE;
  return TokenIsAdministrator();
}

namespace {

// GetVersionExW or RtlGetVersion (both take the same record) on a record of the caller's size.
template <typename Read>
bool ReadVersionRecord(Read read, OsVersion* version) {
  OSVERSIONINFOEXW record{};
  record.dwOSVersionInfoSize = version->size;
  if (version->size > sizeof(record)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  if (!read(reinterpret_cast<OSVERSIONINFOW*>(&record))) return false;
  version->major = record.dwMajorVersion;
  version->minor = record.dwMinorVersion;
  version->servicePackMajor = record.wServicePackMajor;
  version->build = record.dwBuildNumber;
  return true;
}

}  // namespace

bool WindowsPlatform::ReadVersion(OsVersion* version) {
  return ReadVersionRecord([](OSVERSIONINFOW* record) { return GetVersionExW(record) != FALSE; },
                           version);
}

bool WindowsPlatform::ReadNtVersion(OsVersion* version) {
  LONG(WINAPI * rtlGetVersion)(OSVERSIONINFOW*) = nullptr;
  if (!FindExport(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion", &rtlGetVersion)) return false;
  // NTSTATUS: 0 is STATUS_SUCCESS.
  return ReadVersionRecord(
      [rtlGetVersion](OSVERSIONINFOW* record) { return rtlGetVersion(record) == 0; }, version);
}

ModuleHandle WindowsPlatform::FindModule(const char16_t* name) {
  return reinterpret_cast<ModuleHandle>(GetModuleHandleW(Wide(name)));
}

ProcAddress WindowsPlatform::FindProc(ModuleHandle module, const char* name) {
  return reinterpret_cast<ProcAddress>(GetProcAddress(reinterpret_cast<HMODULE>(module), name));
}

bool WindowsPlatform::CallIsWow64Process(ProcAddress function, ProcessHandle process,
                                         int* isWow64) {
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  BOOL answer = *isWow64;
  BOOL result = reinterpret_cast<IsWow64ProcessFunction>(function)(HandleOf(process), &answer);
  *isWow64 = answer;
  return result != FALSE;
}

bool WindowsPlatform::OpenToken(ProcessHandle process, std::uint32_t access, TokenHandle* token) {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(HandleOf(process), access, &opened)) return false;
  *token = SysHandleOf<TokenHandle>(opened);
  return true;
}

bool WindowsPlatform::LookupPrivilege(const char16_t* systemName, const char16_t* name,
                                      Luid* luid) {
  LUID value{};
  if (!LookupPrivilegeValueW(Wide(systemName), Wide(name), &value)) return false;
  luid->lowPart = value.LowPart;
  luid->highPart = value.HighPart;
  return true;
}

bool WindowsPlatform::AdjustPrivilege(TokenHandle token, bool disableAll, const Luid& luid,
                                      std::uint32_t attributes) {
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid.LowPart = luid.lowPart;
  privileges.Privileges[0].Luid.HighPart = luid.highPart;
  privileges.Privileges[0].Attributes = attributes;
  // Nothing may run between this call and the caller's LastError: it reads what this left.
  return AdjustTokenPrivileges(HandleOf(token), disableAll ? TRUE : FALSE, &privileges, 0, nullptr,
                               nullptr) != FALSE;
}

bool WindowsPlatform::RequestExitWindows(std::uint32_t flags, std::uint32_t reason) {
  return ExitWindowsEx(flags, reason) != FALSE;
}

bool WindowsPlatform::RequestSystemShutdown(std::uint32_t reason, ShutdownCall* used) {
  // No message (the one it would show reaches nobody), no delay, applications not closed by
  // force (their users may still save their work), restart after the shutdown.
  decltype(&::InitiateSystemShutdownExW) initiateEx = nullptr;
  if (FindExport(GetModuleHandleW(L"advapi32.dll"), "InitiateSystemShutdownExW", &initiateEx)) {
    *used = ShutdownCall::kInitiateSystemShutdownEx;
    return initiateEx(nullptr, nullptr, 0, FALSE, TRUE, reason) != FALSE;
  }
  *used = ShutdownCall::kInitiateSystemShutdown;
  return InitiateSystemShutdownW(nullptr, nullptr, 0, FALSE, TRUE) != FALSE;
}

bool WindowsPlatform::RunsAsServiceAccount() {
  ProcessUser user;
  return user.IsServiceAccount();
}

void WindowsPlatform::Wait(std::uint32_t milliseconds) {
  Sleep(milliseconds);
}

bool WindowsPlatform::ReadNativeMachine(std::uint16_t* native) {
  using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
  IsWow64Process2Function isWow64Process2 = nullptr;
  USHORT process = 0;
  return FindExport(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process2", &isWow64Process2) &&
         isWow64Process2(GetCurrentProcess(), &process, native);
}

bool WindowsPlatform::ReadMachineAttributes(std::uint16_t machine, std::uint32_t* attributes) {
  // HRESULT GetMachineTypeAttributes(USHORT, MACHINE_ATTRIBUTES*); MACHINE_ATTRIBUTES is a
  // 32-bit flag enumeration.
  using GetMachineTypeAttributesFunction = HRESULT(WINAPI*)(USHORT, DWORD*);
  GetMachineTypeAttributesFunction getAttributes = nullptr;
  DWORD answer = 0;
  if (!FindExport(GetModuleHandleW(L"kernel32.dll"), "GetMachineTypeAttributes", &getAttributes) ||
      getAttributes(machine, &answer) != S_OK) {
    return false;
  }
  *attributes = answer;
  return true;
}
