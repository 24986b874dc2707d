#include "win32/kernel_files.h"

#include <windows.h>

#include "win32/handles.h"
#include "win32/wide_text.h"

namespace {

void CopyEntry(const WIN32_FIND_DATAW& data, FindEntry* entry) {
  entry->attributes = data.dwFileAttributes;
  entry->name = Utf16(data.cFileName);
}

}  // namespace

SearchHandle KernelFiles::FindFirst(const char16_t* pattern, FindEntry* entry) {
  WIN32_FIND_DATAW data{};
  HANDLE search = FindFirstFileW(Wide(pattern), &data);
  if (search != INVALID_HANDLE_VALUE) CopyEntry(data, entry);
  return SysHandleOf<SearchHandle>(search);
}

bool KernelFiles::FindNext(SearchHandle search, FindEntry* entry) {
  WIN32_FIND_DATAW data{};
  if (!FindNextFileW(HandleOf(search), &data)) return false;
  CopyEntry(data, entry);
  return true;
}

bool KernelFiles::CloseFind(SearchHandle search) {
  return FindClose(HandleOf(search)) != FALSE;
}

// The error is read in every case; it tells something only where the length is 0.
SysResult<std::uint32_t> KernelFiles::ReadCurrentDirectory(std::uint32_t bufferLength,
                                                           char16_t* buffer) {
  return {GetCurrentDirectoryW(bufferLength, Wide(buffer)), GetLastError()};
}

SysResult<std::uint32_t> KernelFiles::ReadFullPathName(const char16_t* name,
                                                       std::uint32_t bufferLength,
                                                       char16_t* buffer) {
  return {GetFullPathNameW(Wide(name), bufferLength, Wide(buffer), nullptr), GetLastError()};
}

SysResult<std::uint32_t> KernelFiles::ReadSystemDirectory(char16_t* buffer,
                                                          std::uint32_t bufferLength) {
  return {GetSystemDirectoryW(Wide(buffer), bufferLength), GetLastError()};
}

SysResult<std::uint32_t> KernelFiles::ReadWindowsDirectory(char16_t* buffer,
                                                           std::uint32_t bufferLength) {
  // GetWindowsDirectoryW would answer a folder of each user's own under Terminal Services.
  return {GetSystemWindowsDirectoryW(Wide(buffer), bufferLength), GetLastError()};
}

std::uint32_t KernelFiles::ReadFileAttributes(const char16_t* path) {
  return GetFileAttributesW(Wide(path));
}
