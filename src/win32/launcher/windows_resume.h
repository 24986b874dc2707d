#pragma once

#include <windows.h>

#include "system/resume_api.h"
#include "win32/dll_search.h"

// ResumeApi over kernel32, advapi32 and shell32: the protected folder of the local copy and
// its files, the volatile registry mark, the file operations of the next start, the clock.
// Only calls that Windows 2000 has are imported; the newer ones (SHGetKnownFolderPath,
// RegDeleteKeyExW) are looked up at run time, and ole32.dll is loaded from the system
// directory when CoTaskMemFree is needed.
//
// Errors are Windows error codes as the failing call left them, except that
// ReadProgramFilesFolder hands on the shell's HRESULT unchanged (and the Windows error of
// loading ole32.dll where that fails). KeepsAccessLists answers false with error 0 for a
// volume without access lists, and with the failing call's error when it cannot tell.
class WindowsResume : public ResumeApi {
 public:
  // Reads once whether the mark's registry calls may name the 32-bit view (not on Windows
  // 2000, which has one view and refuses the flag) and whether the process runs under Wine.
  explicit WindowsResume(DllSearch search);

  SysResult<bool> ReadProgramFilesFolder(std::u16string* path) override;
  SysResult<bool> ReadOwnPath(std::u16string* path) override;
  bool RandomNumber(std::uint32_t* value) override;

  SysResult<bool> CreateProtectedFolder(const char16_t* path) override;
  SysResult<bool> CreateFolder(const char16_t* path) override;
  FolderTrust ReadFolderTrust(const char16_t* path) override;
  SysResult<bool> KeepsAccessLists(const char16_t* path) override;

  SysResult<bool> CopyNewFile(const char16_t* from, const char16_t* to) override;
  SysResult<bool> WriteNewFile(const char16_t* path, const std::u16string& text) override;
  SysResult<bool> ReadWholeFile(const char16_t* path, std::u16string* text) override;
  SysResult<bool> RemoveFile(const char16_t* path) override;
  SysResult<bool> RemoveFolder(const char16_t* path) override;
  SysResult<bool> RemoveAtRestart(const char16_t* path) override;
  SysResult<bool> SetCurrentFolder(const char16_t* path) override;

  SysResult<bool> CreateVolatileMark(const std::vector<std::u16string>& files,
                                     bool* createdNew) override;
  SysResult<bool> ReadVolatileMark(std::vector<std::u16string>* files) override;
  SysResult<bool> DeleteVolatileMark() override;
  SysResult<bool> ReadPendingFileOperations(const char16_t* valueName,
                                            std::u16string* data) override;

  UtcTime NowUtc() override;

 private:
  DllSearch search_;
  REGSAM view_;      // KEY_WOW64_32KEY, or nothing on Windows 2000
  bool wineOwners_;  // RunsUnderWine()
};

// KEY_WOW64_32KEY, or nothing on Windows 2000, which has one registry view and refuses the
// flag: what every call on the launcher's keys under HKEY_LOCAL_MACHINE adds to its access.
REGSAM ThirtyTwoBitView();
// Deletes the key `name` under HKEY_LOCAL_MACHINE (it must have no subkeys) in `view`.
LSTATUS DeleteKeyInView(const wchar_t* name, REGSAM view);

// Whether the process runs under Wine, whose ntdll exports wine_get_version; Windows' does not.
bool RunsUnderWine();

// What a folder with this owner and DACL is to the launcher, for a program running as
// `runningAccount` (may be null): ReadFolderTrust's decision once it has read them.
// `wineOwners`: under Wine, which keeps no owners, a folder owned by the running account may
// stand for one owned by the Administrators; never on Windows.
FolderTrust TrustOfFolderSecurity(PSECURITY_DESCRIPTOR descriptor, PSID runningAccount,
                                  bool wineOwners);
