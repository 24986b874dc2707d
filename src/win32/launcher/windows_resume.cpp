// The Windows side of finishing a plug-in upgrade after the restart: the local copy's protected
// folder and files, the volatile mark in HKEY_LOCAL_MACHINE, the clock.
#include "win32/launcher/windows_resume.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>
#include <wincrypt.h>

#include "win32/find_export.h"
#include "win32/handles.h"
#include "win32/process_user.h"
#include "win32/system_libraries.h"
#include "win32/wide_text.h"

namespace {

// FOLDERID_ProgramFilesX86. On 32-bit Windows it names the one Program Files folder.
constexpr GUID kProgramFilesX86 = {
    0x7c5a40ef, 0xa0fb, 0x4bfc, {0x87, 0x4a, 0xc0, 0xf2, 0xe0, 0xb9, 0xfa, 0x8e}};

// Owner Administrators; a protected DACL (nothing inherited from Program Files) that gives
// full control to SYSTEM and the Administrators only, passed on to everything inside.
constexpr wchar_t kProtectedFolderSddl[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// The mark's id is a short text; a longer value is not the launcher's and fails with
// ERROR_MORE_DATA.
constexpr DWORD kMarkChars = 128;
// ReadWholeFile's limit.
constexpr DWORD kMaxFileBytes = 64 * 1024;

// Memory that a shell function allocated for the caller, freed with ole32's CoTaskMemFree.
struct TaskMemoryTraits {
  using Value = wchar_t*;
  static Value Empty() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  void Close(Value value) const { freeMemory(value); }
  void(WINAPI* freeMemory)(void*) = nullptr;
};

// A BOOL answer, with the last error read at once where it tells a failure.
SysResult<bool> Answer(BOOL done) {
  return {done != FALSE, done ? 0 : GetLastError()};
}

// A registry call's answer, which is its error.
SysResult<bool> Status(LSTATUS status) {
  return {status == ERROR_SUCCESS, static_cast<std::uint32_t>(status)};
}

// S-1-5-first[-second], built in place (CreateWellKnownSid is missing on Windows 2000).
class NtSid {
 public:
  NtSid(BYTE count, DWORD first, DWORD second = 0) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    InitializeSid(words_, &nt, count);
    *GetSidSubAuthority(words_, 0) = first;
    if (count > 1) *GetSidSubAuthority(words_, 1) = second;
  }
  bool Is(PSID sid) { return EqualSid(sid, words_) != FALSE; }

 private:
  DWORD words_[SECURITY_MAX_SID_SIZE / sizeof(DWORD)] = {};
};

}  // namespace

// SHGetKnownFolderPath came with Vista; its answer must be freed with CoTaskMemFree whether it
// succeeds or not. Both answer an HRESULT, which is handed on as the error.
SysResult<bool> WindowsResume::ReadProgramFilesFolder(std::u16string* path) {
  using KnownFolderFunction = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, wchar_t**);
  KnownFolderFunction readKnownFolder = nullptr;
  HRESULT answer = S_OK;
  const HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
  if (shell32 != nullptr && FindExport(shell32, "SHGetKnownFolderPath", &readKnownFolder)) {
    OwnedModule ole32(LoadSystemLibrary(L"ole32.dll", search_));
    TaskMemoryTraits memory;
    if (!ole32 || !FindExport(ole32.Get(), "CoTaskMemFree", &memory.freeMemory)) {
      return {false, LoadError()};
    }
    Owned<TaskMemoryTraits> folder(memory);
    answer = readKnownFolder(kProgramFilesX86, 0, nullptr, folder.Receive());
    if (answer == S_OK) *path = Utf16String(folder.Get());
  } else {
    // S_FALSE: the folder does not exist, and the buffer holds nothing.
    wchar_t folder[MAX_PATH] = {};
    answer = SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder);
    if (answer == S_OK) *path = Utf16String(folder);
  }
  if (answer != S_OK) return {false, static_cast<std::uint32_t>(answer)};
  while (!path->empty() && path->back() == u'\\') path->pop_back();
  return {true, 0};
}

// A path longer than the buffer comes back cut short with the buffer's length: unterminated
// and with no error on XP, with ERROR_INSUFFICIENT_BUFFER later.
SysResult<bool> WindowsResume::ReadOwnPath(std::u16string* path) {
  for (DWORD size = MAX_PATH; size <= 0x10000; size *= 2) {
    path->resize(size);
    const DWORD length = GetModuleFileNameW(nullptr, Wide(&(*path)[0]), size);
    const DWORD error = GetLastError();
    if (length < size) {
      path->resize(length);
      return {length != 0, length != 0 ? 0 : error};
    }
  }
  return {false, ERROR_INSUFFICIENT_BUFFER};
}

// The base provider's generator, in advapi32 since Windows 2000 (RtlGenRandom came with XP).
bool WindowsResume::RandomNumber(std::uint32_t* value) {
  CryptProvider provider;
  return CryptAcquireContextW(provider.Receive(), nullptr, nullptr, PROV_RSA_FULL,
                              CRYPT_VERIFYCONTEXT) &&
         CryptGenRandom(provider.Get(), sizeof *value, reinterpret_cast<BYTE*>(value));
}

// The descriptor applies only when the folder is new: on anything already at `path`
// CreateDirectoryW fails with ERROR_ALREADY_EXISTS and changes nothing.
SysResult<bool> WindowsResume::CreateProtectedFolder(const char16_t* path) {
  LocalMemory descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtectedFolderSddl, SDDL_REVISION_1,
                                                            descriptor.Receive(), nullptr)) {
    return {false, GetLastError()};
  }
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
  return Answer(CreateDirectoryW(Wide(path), &attributes));
}

SysResult<bool> WindowsResume::CreateFolder(const char16_t* path) {
  return Answer(CreateDirectoryW(Wide(path), nullptr));
}

// Only a folder that nobody but an administrator can have made or changed counts as the
// launcher's own: owner Administrators, SYSTEM or the account this program runs as, and an
// access list that allows SYSTEM, the Administrators and that owner and nobody else. The
// launcher makes its folders protected with owner Administrators; the protected mark is not
// required, because an access list with nothing inherited is what it protects, and Wine keeps
// neither the mark nor the owner (it reads back the running account as owner).
FolderTrust TrustOfFolderSecurity(PSECURITY_DESCRIPTOR descriptor, PSID runningAccount) {
  PSID owner = nullptr;
  BOOL ownerDefaulted = FALSE;
  BOOL daclPresent = FALSE;
  PACL dacl = nullptr;
  BOOL daclDefaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted) ||
      !GetSecurityDescriptorDacl(descriptor, &daclPresent, &dacl, &daclDefaulted)) {
    return FolderTrust::kUnreadable;
  }
  NtSid system(1, SECURITY_LOCAL_SYSTEM_RID);
  NtSid administrators(2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
  const auto trusted = [&](PSID sid) {
    return system.Is(sid) || administrators.Is(sid) ||
           (runningAccount != nullptr && EqualSid(sid, runningAccount));
  };
  // No DACL at all grants everybody everything.
  if (owner == nullptr || !trusted(owner) || !daclPresent || dacl == nullptr ||
      dacl->AceCount == 0) {
    return FolderTrust::kForeign;
  }
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (!GetAce(dacl, index, reinterpret_cast<void**>(&ace)) ||
        ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE ||
        !(system.Is(&ace->SidStart) || administrators.Is(&ace->SidStart) ||
          EqualSid(&ace->SidStart, owner))) {
      return FolderTrust::kForeign;
    }
  }
  return FolderTrust::kOwn;
}

// The folder itself is opened, never what a junction or link points to. The path's own
// attributes are looked at first as well: Wine opens the target of a Unix symbolic link even
// with FILE_FLAG_OPEN_REPARSE_POINT, and only GetFileAttributesW shows the link there.
FolderTrust WindowsResume::ReadFolderTrust(const char16_t* path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return FolderTrust::kReparsePoint;
  }
  KernelHandle folder(
      CreateFileW(Wide(path), READ_CONTROL | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!folder || !GetFileInformationByHandle(folder.Get(), &information)) {
    return FolderTrust::kUnreadable;
  }
  if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return FolderTrust::kReparsePoint;
  }
  if (!(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return FolderTrust::kForeign;
  LocalMemory descriptor;
  if (GetSecurityInfo(folder.Get(), SE_FILE_OBJECT,
                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                      nullptr, nullptr, descriptor.Receive()) != ERROR_SUCCESS) {
    return FolderTrust::kUnreadable;
  }
  ProcessUser user;
  return TrustOfFolderSecurity(descriptor.Get(), user.Sid());
}

SysResult<bool> WindowsResume::CopyNewFile(const char16_t* from, const char16_t* to) {
  return Answer(CopyFileW(Wide(from), Wide(to), TRUE));
}

// A file that could not be written whole is deleted again. A write that reports success with
// fewer bytes (which a local disk does not do) counts as a full disk. The text's code units go
// out as they are in memory: UTF-16LE on every Windows this runs on.
SysResult<bool> WindowsResume::WriteNewFile(const char16_t* path, const std::u16string& text) {
  KernelHandle file(CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {false, GetLastError()};
  const DWORD size = static_cast<DWORD>(text.size() * sizeof(char16_t));
  DWORD written = 0;
  SysResult<bool> result = Answer(WriteFile(file.Get(), text.data(), size, &written, nullptr));
  if (result.value && written != size) result = {false, ERROR_HANDLE_DISK_FULL};
  const SysResult<bool> closed = Answer(CloseHandle(file.Release()));
  if (result.value) result = closed;
  if (!result.value) DeleteFileW(Wide(path));
  return result;
}

SysResult<bool> WindowsResume::ReadWholeFile(const char16_t* path, std::u16string* text) {
  KernelHandle file(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {false, GetLastError()};
  DWORD high = 0;
  const DWORD size = GetFileSize(file.Get(), &high);
  if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return {false, GetLastError()};
  if (high != 0 || size > kMaxFileBytes) return {false, ERROR_FILE_TOO_LARGE};
  if (size % sizeof(char16_t) != 0) return {false, ERROR_INVALID_DATA};
  text->assign(size / sizeof(char16_t), u'\0');
  DWORD read = 0;
  if (!ReadFile(file.Get(), &(*text)[0], size, &read, nullptr)) return {false, GetLastError()};
  if (read != size) return {false, ERROR_HANDLE_EOF};
  return {true, 0};
}

SysResult<bool> WindowsResume::RemoveFile(const char16_t* path) {
  return Answer(DeleteFileW(Wide(path)));
}

SysResult<bool> WindowsResume::RemoveFolder(const char16_t* path) {
  return Answer(RemoveDirectoryW(Wide(path)));
}

SysResult<bool> WindowsResume::RemoveAtRestart(const char16_t* path) {
  return Answer(MoveFileExW(Wide(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
}

SysResult<bool> WindowsResume::SetCurrentFolder(const char16_t* path) {
  return Answer(SetCurrentDirectoryW(Wide(path)));
}

// Every registry call names the 32-bit view, whatever view the process would get by default.
// (Windows 2000 does not support KEY_WOW64_32KEY.) REG_OPTION_VOLATILE is ignored for a key
// that exists already: only a key made now is a mark of this run, and only then is the id
// written.
SysResult<bool> WindowsResume::CreateVolatileMark(const std::u16string& id, bool* createdNew) {
  RegistryKey key;
  DWORD disposition = 0;
  *createdNew = false;
  LSTATUS status =
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(kResumeMarkKey), 0, nullptr, REG_OPTION_VOLATILE,
                      KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, key.Receive(), &disposition);
  if (status != ERROR_SUCCESS) return Status(status);
  *createdNew = disposition == REG_CREATED_NEW_KEY;
  if (!*createdNew) return {true, 0};
  status = RegSetValueExW(key.Get(), Wide(kResumeMarkValue), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(id.c_str()),
                          static_cast<DWORD>((id.size() + 1) * sizeof(char16_t)));
  // A mark without its id is no mark: it goes again.
  if (status != ERROR_SUCCESS) {
    key.Reset();
    DeleteVolatileMark();
  }
  return Status(status);
}

// A value of another type than REG_SZ is not the launcher's: ERROR_INVALID_DATA.
SysResult<bool> WindowsResume::ReadVolatileMark(std::u16string* id) {
  RegistryKey key;
  LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kResumeMarkKey), 0,
                                 KEY_QUERY_VALUE | KEY_WOW64_32KEY, key.Receive());
  if (status != ERROR_SUCCESS) return Status(status);
  // One character is kept back for the terminating null that a value may lack.
  wchar_t text[kMarkChars + 1] = {};
  DWORD type = 0;
  DWORD size = kMarkChars * sizeof(wchar_t);
  status = RegQueryValueExW(key.Get(), Wide(kResumeMarkValue), nullptr, &type,
                            reinterpret_cast<BYTE*>(text), &size);
  if (status != ERROR_SUCCESS) return Status(status);
  if (type != REG_SZ) return {false, ERROR_INVALID_DATA};
  text[size / sizeof(wchar_t)] = L'\0';
  *id = Utf16String(text);
  return {true, 0};
}

// RegDeleteKeyExW, which takes the view, exists from Vista on and on 64-bit XP and Server 2003;
// where advapi32 lacks it Windows has a single view and RegDeleteKeyW is the same. The mark has
// no subkeys.
SysResult<bool> WindowsResume::DeleteVolatileMark() {
  using DeleteKeyExFunction = LSTATUS(WINAPI*)(HKEY, const wchar_t*, REGSAM, DWORD);
  DeleteKeyExFunction deleteKeyEx = nullptr;
  const HMODULE advapi32 = GetModuleHandleW(L"advapi32.dll");
  if (advapi32 != nullptr && FindExport(advapi32, "RegDeleteKeyExW", &deleteKeyEx)) {
    return Status(deleteKeyEx(HKEY_LOCAL_MACHINE, Wide(kResumeMarkKey), KEY_WOW64_32KEY, 0));
  }
  return Status(RegDeleteKeyW(HKEY_LOCAL_MACHINE, Wide(kResumeMarkKey)));
}

UtcTime WindowsResume::NowUtc() {
  SYSTEMTIME now = {};
  GetSystemTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}
