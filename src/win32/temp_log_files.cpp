#include "win32/temp_log_files.h"

#include <windows.h>

#include "win32/wide_text.h"

std::uint32_t TempLogFiles::ReadTempPath(std::uint32_t bufferLength, char16_t* buffer) {
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
SysHandle TempLogFiles::CreateNewFile(const char16_t* path) {
  return reinterpret_cast<SysHandle>(CreateFileW(Wide(path), GENERIC_WRITE, FILE_SHARE_READ,
                                                 nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                                 nullptr));
}

bool TempLogFiles::WriteToFile(SysHandle file, const void* data, std::uint32_t size) {
  DWORD written = 0;
  return WriteFile(reinterpret_cast<HANDLE>(file), data, size, &written, nullptr) != FALSE &&
         written == size;
}

bool TempLogFiles::CloseFile(SysHandle file) {
  return CloseHandle(reinterpret_cast<HANDLE>(file)) != FALSE;
}
