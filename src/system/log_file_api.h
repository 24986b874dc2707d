#pragma once

#include <cstdint>

#include "system/calendar_time.h"
#include "system/handles.h"
#include "system/sys_result.h"

// GetLocalTime's answer, of which the log's file name is made.
using LocalTime = CalendarTime;

// The kernel32 functions behind the run's log file.
class LogFileApi {
 public:
  virtual ~LogFileApi() = default;

  // GetTempPath2W where kernel32 has it, GetTempPathW otherwise: length written (without the
  // zero, with the final backslash), the size needed (with the zero) when `bufferLength` is
  // too small, or 0 on failure.
  virtual std::uint32_t ReadTempPath(std::uint32_t bufferLength, char16_t* buffer) = 0;
  // GetLocalTime.
  virtual LocalTime ReadLocalTime() = 0;
  // GetCurrentProcessId.
  virtual std::uint32_t ProcessId() = 0;
  // GetTickCount: milliseconds, wrapping around after 49.7 days.
  virtual std::uint32_t TickCount() = 0;
  // CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, a protected DACL, CREATE_NEW,
  // FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, NULL): never opens or follows what
  // exists under that name (a file, a link); the file grants SYSTEM and the Administrators
  // full control and the process's user read and write, and inherits nothing from the
  // folder. kInvalidHandle and the error on failure (ERROR_FILE_EXISTS when the name is
  // taken), also when that DACL cannot be made: then no file is created at all.
  virtual SysResult<FileHandle> CreateNewFile(const char16_t* path) = 0;
  // WriteFile of `size` bytes, unbuffered by the program; true when all were written.
  virtual bool WriteToFile(FileHandle file, const void* data, std::uint32_t size) = 0;
  // CloseHandle of a file made by CreateNewFile.
  virtual bool CloseFile(FileHandle file) = 0;
};
