// The Windows side of finishing a plug-in upgrade after the restart: the local copy's protected
// folder and files, the volatile mark in HKEY_LOCAL_MACHINE, the file operations Windows
// carries out when it next starts, the clock.
#include "win32/launcher/windows_resume.h"

#include <windows.h>

#include <aclapi.h>
#include <shlobj.h>
#include <wincrypt.h>

#include "win32/find_export.h"
#include "win32/handles.h"
#include "win32/nt_sid.h"
#include "win32/process_user.h"
#include "win32/program_path.h"
#include "win32/protected_security.h"
#include "win32/system_libraries.h"
#include "win32/wide_text.h"

namespace {

// FOLDERID_ProgramFilesX86. On 32-bit Windows it names the one Program Files folder.
constexpr GUID kProgramFilesX86 = {
    0x7c5a40ef, 0xa0fb, 0x4bfc, {0x87, 0x4a, 0xc0, 0xf2, 0xe0, 0xb9, 0xfa, 0x8e}};

// The key that holds the file operations of the next start.
constexpr wchar_t kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";

// ReadWholeFile's limit.
constexpr DWORD kMaxFileBytes = 64 * 1024;
// The largest multi-string value read or written: far beyond any list of files the launcher
// keeps, and beyond what the system should keep in its registry.
constexpr DWORD kMaxMultiStringBytes = 1024 * 1024;

// Memory that a shell function allocated for the caller, freed with ole32's CoTaskMemFree.
using FreeTaskMemory = void(WINAPI*)(void*);
using TaskMemory = OwnedBy<wchar_t*, CloseThrough<FreeTaskMemory>>;

// A BOOL answer, with the last error read at once where it tells a failure.
SysResult<bool> Answer(BOOL done) {
  return {done != FALSE, done ? 0 : GetLastError()};
}

// A registry call's answer, which is its error.
SysResult<bool> Status(LSTATUS status) {
  return {status == ERROR_SUCCESS, static_cast<std::uint32_t>(status)};
}

// The texts as REG_MULTI_SZ data: each ends with a zero, and one more zero ends the list (two for
// an empty list, which is a valid empty multi-string). An empty text, or one holding a zero,
// would end the list early: false.
bool JoinMultiString(const std::vector<std::u16string>& texts, std::u16string* data) {
  data->clear();
  for (const std::u16string& text : texts) {
    if (text.empty() || text.find(u'\0') != std::u16string::npos) return false;
    *data += text;
    data->push_back(u'\0');
  }
  if (texts.empty()) data->push_back(u'\0');
  data->push_back(u'\0');
  return true;
}

// The texts of REG_MULTI_SZ data, up to the empty text that ends the list; a last text that
// lacks its zero ends with the data.
std::vector<std::u16string> SplitMultiString(const std::u16string& data) {
  std::vector<std::u16string> texts;
  for (std::size_t start = 0; start < data.size();) {
    std::size_t end = data.find(u'\0', start);
    if (end == std::u16string::npos) end = data.size();
    if (end == start) break;
    texts.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  return texts;
}

// The REG_MULTI_SZ data of `name` under `key` as stored, of any size up to
// kMaxMultiStringBytes (else ERROR_FILE_TOO_LARGE). Its size is asked first; a value that grows
// between the two calls is asked again. Another type, or an odd number of bytes, is not a
// multi-string: ERROR_INVALID_DATA. `data` changes only when the value is read.
SysResult<bool> ReadMultiString(HKEY key, const wchar_t* name, std::u16string* data) {
  std::u16string read;
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return Status(status);
    if (type != REG_MULTI_SZ || size % sizeof(char16_t) != 0) return {false, ERROR_INVALID_DATA};
    if (size > kMaxMultiStringBytes) return {false, ERROR_FILE_TOO_LARGE};
    read.resize(size / sizeof(char16_t));
    status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&read[0]), &size);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return Status(status);
    if (type != REG_MULTI_SZ || size % sizeof(char16_t) != 0) return {false, ERROR_INVALID_DATA};
    read.resize(size / sizeof(char16_t));
    *data = std::move(read);
    return {true, 0};
  }
  return {false, ERROR_MORE_DATA};
}

}  // namespace

// KEY_WOW64_32KEY names the 32-bit view on 64-bit Windows and is ignored by 32-bit XP and
// later; Windows 2000 (5.0), with one view, does not support it.
REGSAM ThirtyTwoBitView() {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  const bool windows2000 =
      GetVersionExW(&version) && version.dwMajorVersion == 5 && version.dwMinorVersion == 0;
  return windows2000 ? 0 : KEY_WOW64_32KEY;
}

// RegDeleteKeyExW, which takes the view, exists from Vista on and on 64-bit XP and Server 2003;
// where advapi32 lacks it Windows has a single view and RegDeleteKeyW is the same.
LSTATUS DeleteKeyInView(const wchar_t* name, REGSAM view) {
  using DeleteKeyExFunction = LSTATUS(WINAPI*)(HKEY, const wchar_t*, REGSAM, DWORD);
  DeleteKeyExFunction deleteKeyEx = nullptr;
  const HMODULE advapi32 = GetModuleHandleW(L"advapi32.dll");
  if (advapi32 != nullptr && FindExport(advapi32, "RegDeleteKeyExW", &deleteKeyEx)) {
    return deleteKeyEx(HKEY_LOCAL_MACHINE, name, view, 0);
  }
  return RegDeleteKeyW(HKEY_LOCAL_MACHINE, name);
}

WindowsResume::WindowsResume(DllSearch search)
    : search_(search), view_(ThirtyTwoBitView()), wineOwners_(RunsUnderWine()) {}

bool RunsUnderWine() {
  using VersionFunction = const char*(CDECL*)();
  VersionFunction version = nullptr;
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && FindExport(ntdll, "wine_get_version", &version);
}

// SHGetKnownFolderPath came with Vista; its answer must be freed with CoTaskMemFree whether it
// succeeds or not. Both answer an HRESULT, which is handed on as the error.
SysResult<bool> WindowsResume::ReadProgramFilesFolder(std::u16string* path) {
  using KnownFolderFunction = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, wchar_t**);
  KnownFolderFunction readKnownFolder = nullptr;
  HRESULT answer = S_OK;
  const HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
  if (shell32 != nullptr && FindExport(shell32, "SHGetKnownFolderPath", &readKnownFolder)) {
    OwnedModule ole32(LoadSystemLibrary(L"ole32.dll", search_));
    FreeTaskMemory freeMemory = nullptr;
    if (!ole32 || !FindExport(ole32.Get(), "CoTaskMemFree", &freeMemory)) {
      return {false, LoadError()};
    }
    TaskMemory folder(freeMemory);
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

SysResult<bool> WindowsResume::ReadOwnPath(std::u16string* path) {
  return ReadProgramPath(path);
}

// The base provider's generator, in advapi32 since Windows 2000 (RtlGenRandom came with XP).
bool WindowsResume::RandomNumber(std::uint32_t* value) {
  CryptProvider provider;
  return CryptAcquireContextW(provider.Receive(), nullptr, nullptr, PROV_RSA_FULL,
                              CRYPT_VERIFYCONTEXT) &&
         CryptGenRandom(provider.Get(), sizeof *value, reinterpret_cast<BYTE*>(value));
}

// Owner Administrators; the entries for SYSTEM and the Administrators are passed on to
// everything inside. The descriptor applies only when the folder is new: on anything already at
// `path` CreateDirectoryW fails with ERROR_ALREADY_EXISTS and changes nothing.
SysResult<bool> WindowsResume::CreateProtectedFolder(const char16_t* path) {
  ProtectedSecurity security;
  if (!security.Build({OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, true, nullptr, 0})) {
    return {false, GetLastError()};
  }
  return Answer(CreateDirectoryW(Wide(path), security.Attributes()));
}

SysResult<bool> WindowsResume::CreateFolder(const char16_t* path) {
  return Answer(CreateDirectoryW(Wide(path), nullptr));
}

// Only a folder that nobody but an administrator can have made or changed counts as the
// launcher's own: owner Administrators or SYSTEM, and an access list that allows SYSTEM and the
// Administrators and nobody else. The launcher makes its folders protected with owner
// Administrators; the protected mark is not required, because an access list with nothing
// inherited is what it protects. Wine keeps neither the mark nor the owner: it reads back the
// running account as owner, with an entry for it. Only there does that account, as the owner,
// stand for the Administrators; on Windows a folder that the running account owns may have
// been made by anybody who runs the launcher.
FolderTrust TrustOfFolderSecurity(PSECURITY_DESCRIPTOR descriptor, PSID runningAccount,
                                  bool wineOwners) {
  PSID owner = nullptr;
  BOOL ownerDefaulted = FALSE;
  BOOL daclPresent = FALSE;
  PACL dacl = nullptr;
  BOOL daclDefaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted) ||
      !GetSecurityDescriptorDacl(descriptor, &daclPresent, &dacl, &daclDefaulted)) {
    return FolderTrust::kUnreadable;
  }
  NtSid system = NtSid::LocalSystem();
  NtSid administrators = NtSid::Administrators();
  const bool wineOwner = wineOwners && owner != nullptr && runningAccount != nullptr &&
                         EqualSid(owner, runningAccount);
  const auto trusted = [&](PSID sid) {
    return system.Is(sid) || administrators.Is(sid) || (wineOwner && EqualSid(sid, owner));
  };
  // No DACL at all grants everybody everything.
  if (owner == nullptr || !trusted(owner) || !daclPresent || dacl == nullptr ||
      dacl->AceCount == 0) {
    return FolderTrust::kForeign;
  }
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (!GetAce(dacl, index, reinterpret_cast<void**>(&ace)) ||
        ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || !trusted(&ace->SidStart)) {
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
  return TrustOfFolderSecurity(descriptor.Get(), user.Sid(), wineOwners_);
}

// The flags of the volume whose root GetVolumePathNameW finds for `path`. That root is a prefix
// of the full path with a backslash: the path's length and MAX_PATH more hold it for any
// absolute path (with too little room the call fails and says so).
SysResult<bool> WindowsResume::KeepsAccessLists(const char16_t* path) {
  std::u16string volume(std::char_traits<char16_t>::length(path) + MAX_PATH, u'\0');
  if (!GetVolumePathNameW(Wide(path), Wide(&volume[0]), static_cast<DWORD>(volume.size()))) {
    return {false, GetLastError()};
  }
  DWORD flags = 0;
  if (!GetVolumeInformationW(Wide(volume.c_str()), nullptr, 0, nullptr, nullptr, &flags, nullptr,
                             0)) {
    return {false, GetLastError()};
  }
  return {(flags & FILE_PERSISTENT_ACLS) != 0, 0};
}

// CopyFileW keeps the source's attributes, a read-only one too, which would make the copy one
// that DeleteFileW refuses. The copy gets plain attributes; where that fails it stays, and its
// removal clears the attribute again.
SysResult<bool> WindowsResume::CopyNewFile(const char16_t* from, const char16_t* to) {
  if (!CopyFileW(Wide(from), Wide(to), TRUE)) return {false, GetLastError()};
  return Answer(SetFileAttributesW(Wide(to), FILE_ATTRIBUTE_NORMAL));
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

// DeleteFileW refuses a read-only file: the attribute goes first (a folder's stays: DeleteFileW
// refuses a folder anyway).
SysResult<bool> WindowsResume::RemoveFile(const char16_t* path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) ==
          FILE_ATTRIBUTE_READONLY &&
      !SetFileAttributesW(Wide(path), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) {
    return {false, GetLastError()};
  }
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

// Every call on the mark names the 32-bit view, whatever view the process would get by default
// (except on Windows 2000, see ThirtyTwoBitView). REG_OPTION_VOLATILE is ignored for a key that
// exists already: only a key made now is a mark of this run, and only then are the files written.
// A list that cannot be written as it is read back (an empty name, more than the reader takes)
// is refused before the key is made.
SysResult<bool> WindowsResume::CreateVolatileMark(const std::vector<std::u16string>& files,
                                                  bool* createdNew) {
  *createdNew = false;
  std::u16string data;
  if (!JoinMultiString(files, &data)) return {false, ERROR_INVALID_PARAMETER};
  const DWORD size = static_cast<DWORD>(data.size() * sizeof(char16_t));
  if (size > kMaxMultiStringBytes) return {false, ERROR_FILE_TOO_LARGE};
  RegistryKey key;
  DWORD disposition = 0;
  LSTATUS status =
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(kResumeMarkKey), 0, nullptr, REG_OPTION_VOLATILE,
                      KEY_SET_VALUE | view_, nullptr, key.Receive(), &disposition);
  if (status != ERROR_SUCCESS) return Status(status);
  *createdNew = disposition == REG_CREATED_NEW_KEY;
  if (!*createdNew) return {true, 0};
  status = RegSetValueExW(key.Get(), Wide(kResumeMarkValue), 0, REG_MULTI_SZ,
                          reinterpret_cast<const BYTE*>(data.data()), size);
  // A mark without its files is no mark: it goes again.
  if (status != ERROR_SUCCESS) {
    key.Reset();
    DeleteVolatileMark();
  }
  return Status(status);
}

SysResult<bool> WindowsResume::ReadVolatileMark(std::vector<std::u16string>* files) {
  RegistryKey key;
  const LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kResumeMarkKey), 0,
                                       KEY_QUERY_VALUE | view_, key.Receive());
  if (status != ERROR_SUCCESS) return Status(status);
  std::u16string data;
  const SysResult<bool> read = ReadMultiString(key.Get(), Wide(kResumeMarkValue), &data);
  if (read.value) *files = SplitMultiString(data);
  return read;
}

// Session Manager is one key for 32-bit and 64-bit programs alike: no view is named.
SysResult<bool> WindowsResume::ReadPendingFileOperations(const char16_t* valueName,
                                                         std::u16string* data) {
  RegistryKey key;
  const LSTATUS status =
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE, key.Receive());
  if (status != ERROR_SUCCESS) return Status(status);
  return ReadMultiString(key.Get(), Wide(valueName), data);
}

// The mark has no subkeys.
SysResult<bool> WindowsResume::DeleteVolatileMark() {
  return Status(DeleteKeyInView(Wide(kResumeMarkKey), view_));
}

UtcTime WindowsResume::NowUtc() {
  SYSTEMTIME now = {};
  GetSystemTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}
