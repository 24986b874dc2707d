#pragma once

#include "system/log_file_api.h"

// LogFileApi over kernel32.
class TempLogFiles : public LogFileApi {
 public:
  std::uint32_t ReadTempPath(std::uint32_t bufferLength, char16_t* buffer) override;
  LocalTime ReadLocalTime() override;
  std::uint32_t ProcessId() override;
  std::uint32_t TickCount() override;
  SysResult<FileHandle> CreateNewFile(const char16_t* path) override;
  bool WriteToFile(FileHandle file, const void* data, std::uint32_t size) override;
  bool CloseFile(FileHandle file) override;
};
