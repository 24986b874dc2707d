#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "system/calendar_time.h"
#include "system/sys_result.h"

// What a removal of the plug-in that waits for the restart, and finishing the upgrade after
// it, need of the system beyond the other interfaces: the volatile registry mark that tells
// whether Windows has restarted since such a removal, the file operations Windows carries out
// when it next starts, a protected folder for the local copy and its files, the clock.
// The task itself is registered and deleted by running schtasks.exe (ProcessApi).

// The volatile key that marks a removal of the plug-in until Windows restarts: HKEY_LOCAL_MACHINE,
// in the 32-bit registry view in every run (Windows 2000 has one view), holding the removed
// plug-in's files as REG_MULTI_SZ (none when they could not be read).
inline constexpr char16_t kResumeMarkKey[] = u"SOFTWARE\\zirelpluginsetup-resume";
inline constexpr char16_t kResumeMarkValue[] = u"Files";

// The values of HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager that hold
// the file operations of the next start (MoveFileExW with MOVEFILE_DELAY_UNTIL_REBOOT).
inline constexpr char16_t kPendingOperationsValue[] = u"PendingFileRenameOperations";
inline constexpr char16_t kPendingOperations2Value[] = u"PendingFileRenameOperations2";

// GetSystemTime's answer, for the task definition.
using UtcTime = CalendarTime;

// What a folder found under Program Files is to the launcher.
enum class FolderTrust {
  kOwn,           // owner SYSTEM or Administrators, access only for SYSTEM and Administrators
  kForeign,       // any other owner or access list: never touched
  kReparsePoint,  // a junction or link: never followed, never touched
  kUnreadable,    // missing, or its security could not be read
};

class ResumeApi {
 public:
  virtual ~ResumeApi() = default;

  // The 32-bit Program Files folder, without a trailing backslash: SHGetKnownFolderPath with
  // FOLDERID_ProgramFilesX86 where shell32 has it, else SHGetFolderPathW(CSIDL_PROGRAM_FILES)
  // (which a 32-bit process gets as the 32-bit folder on 64-bit Windows too).
  virtual SysResult<bool> ReadProgramFilesFolder(std::u16string* path) = 0;
  // GetModuleFileNameW of the running executable, however long.
  virtual SysResult<bool> ReadOwnPath(std::u16string* path) = 0;
  // A number from the system's cryptographic random generator; false when it has none.
  virtual bool RandomNumber(std::uint32_t* value) = 0;

  // CreateDirectoryW with a protected access list: owner Administrators, full control for
  // SYSTEM and Administrators only, inherited by the files and folders it holds. Fails with
  // ERROR_ALREADY_EXISTS (183) when anything exists at `path`: a folder is never reused.
  virtual SysResult<bool> CreateProtectedFolder(const char16_t* path) = 0;
  // CreateDirectoryW that inherits the parent's access list.
  virtual SysResult<bool> CreateFolder(const char16_t* path) = 0;
  // Reads the folder's attributes, owner and access list without following a reparse point.
  // Under Wine, which keeps no owners and reads back the running account as owner with an
  // access list for it, that account is taken for the Administrators; never on Windows.
  virtual FolderTrust ReadFolderTrust(const char16_t* path) = 0;
  // Whether the volume holding `path` keeps access lists (FILE_PERSISTENT_ACLS of
  // GetVolumeInformationW for GetVolumePathNameW's answer); FAT32, for one, does not. False
  // with error 0 when it keeps none, false with the error when that cannot be told.
  virtual SysResult<bool> KeepsAccessLists(const char16_t* path) = 0;

  // CopyFileW that fails when `to` exists; the copy is made writable (CopyFileW keeps a
  // read-only attribute, and DeleteFileW refuses a read-only file).
  virtual SysResult<bool> CopyNewFile(const char16_t* from, const char16_t* to) = 0;
  // Creates `path` (CREATE_NEW: fails when it exists) holding `text` as UTF-16LE, as it is
  // (a byte-order mark, where wanted, is the text's first character).
  virtual SysResult<bool> WriteNewFile(const char16_t* path, const std::u16string& text) = 0;
  // The whole content of `path` as UTF-16LE text, at most 64 KiB; larger files fail with
  // ERROR_FILE_TOO_LARGE, an odd number of bytes with ERROR_INVALID_DATA.
  virtual SysResult<bool> ReadWholeFile(const char16_t* path, std::u16string* text) = 0;
  // DeleteFileW, after taking away a read-only attribute.
  virtual SysResult<bool> RemoveFile(const char16_t* path) = 0;
  // RemoveDirectoryW (an empty folder).
  virtual SysResult<bool> RemoveFolder(const char16_t* path) = 0;
  // MoveFileExW(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT): a file or empty folder that is in
  // use now goes when Windows next starts.
  virtual SysResult<bool> RemoveAtRestart(const char16_t* path) = 0;
  // SetCurrentDirectoryW.
  virtual SysResult<bool> SetCurrentFolder(const char16_t* path) = 0;

  // RegCreateKeyExW of kResumeMarkKey with REG_OPTION_VOLATILE. `createdNew` receives whether
  // the key was made now (REG_CREATED_NEW_KEY); only then are `files` written into it (a value
  // that cannot be written takes the key away again). A list with an empty name fails with
  // ERROR_INVALID_PARAMETER, one over 1 MiB with ERROR_FILE_TOO_LARGE, before any key is made.
  virtual SysResult<bool> CreateVolatileMark(const std::vector<std::u16string>& files,
                                             bool* createdNew) = 0;
  // The files of an existing mark; false with ERROR_FILE_NOT_FOUND (2) when there is none,
  // ERROR_INVALID_DATA for a value of another type, ERROR_FILE_TOO_LARGE for one over 1 MiB.
  virtual SysResult<bool> ReadVolatileMark(std::vector<std::u16string>* files) = 0;
  // RegDeleteKeyW of the mark; false with ERROR_FILE_NOT_FOUND when there is none.
  virtual SysResult<bool> DeleteVolatileMark() = 0;
  // The REG_MULTI_SZ data of `valueName` under Session Manager as it is: its strings, each
  // ending in a zero, empty ones included, and the closing zero. False with
  // ERROR_FILE_NOT_FOUND when the value does not exist; type and size as ReadVolatileMark.
  virtual SysResult<bool> ReadPendingFileOperations(const char16_t* valueName,
                                                    std::u16string* data) = 0;

  // GetSystemTime.
  virtual UtcTime NowUtc() = 0;
};
