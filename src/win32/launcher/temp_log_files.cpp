#include "win32/launcher/temp_log_files.h"

#include <windows.h>

#include "win32/find_export.h"
#include "win32/handles.h"
#include "win32/launcher/log_file_security.h"
#include "win32/wide_text.h"

// GetTempPath2W, where kernel32 has it, answers C:\Windows\SystemTemp to a process running as
// SYSTEM, "which is inaccessible to non-SYSTEM processes", where GetTempPathW answers
// C:\Windows\Temp, open to every user; for any other process both answer alike. It "does not
// verify that the path exists": a folder that is not there gives way to GetTempPathW's.
std::uint32_t TempLogFiles::ReadTempPath(std::uint32_t bufferLength, char16_t* buffer) {
  decltype(&::GetTempPathW) readTempPath2 = nullptr;
  if (FindExport(GetModuleHandleW(L"kernel32.dll"), "GetTempPath2W", &readTempPath2)) {
    const DWORD length = readTempPath2(bufferLength, Wide(buffer));
    // A failure, or the size the caller asks again with, is answered as it is.
    if (length == 0 || length >= bufferLength) return length;
    const DWORD attributes = GetFileAttributesW(Wide(buffer));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return length;
    }
  }
  return GetTempPathW(bufferLength, Wide(buffer));
}

LocalTime TempLogFiles::ReadLocalTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::uint32_t TempLogFiles::ProcessId() {
  return GetCurrentProcessId();
}

std::uint32_t TempLogFiles::TickCount() {
  return GetTickCount();
}

// Others may read the log while the run goes on; nobody else may write to it or delete it.
// Without its own DACL the file would take the folder's inheritable entries, which in a folder
// like C:\TEMP let every user read and change it: no log is better than such a one. A symbolic
// link planted under the name would, without FILE_FLAG_OPEN_REPARSE_POINT, have the file
// created where it points; with the flag the link is the file that exists, and CREATE_NEW fails.
SysResult<FileHandle> TempLogFiles::CreateNewFile(const char16_t* path) {
  LogFileSecurity security;
  if (!security.Build()) return {kInvalidHandle<FileHandle>, GetLastError()};
  return {SysHandleOf<FileHandle>(CreateFileW(
              Wide(path), GENERIC_WRITE, FILE_SHARE_READ, security.Attributes(), CREATE_NEW,
              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)),
          GetLastError()};
}

bool TempLogFiles::WriteToFile(FileHandle file, const void* data, std::uint32_t size) {
  DWORD written = 0;
  return WriteFile(HandleOf(file), data, size, &written, nullptr) != FALSE && written == size;
}

bool TempLogFiles::CloseFile(FileHandle file) {
  return CloseHandle(HandleOf(file)) != FALSE;
}
