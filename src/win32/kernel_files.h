#pragma once

#include "system/file_api.h"

// FileApi over kernel32.
class KernelFiles : public FileApi {
 public:
  SearchHandle FindFirst(const char16_t* pattern, FindEntry* entry) override;
  bool FindNext(SearchHandle search, FindEntry* entry) override;
  bool CloseFind(SearchHandle search) override;
  SysResult<std::uint32_t> ReadCurrentDirectory(std::uint32_t bufferLength,
                                                char16_t* buffer) override;
  SysResult<std::uint32_t> ReadFullPathName(const char16_t* name, std::uint32_t bufferLength,
                                            char16_t* buffer) override;
  SysResult<std::uint32_t> ReadSystemDirectory(char16_t* buffer,
                                               std::uint32_t bufferLength) override;
  SysResult<std::uint32_t> ReadWindowsDirectory(char16_t* buffer,
                                                std::uint32_t bufferLength) override;
  std::uint32_t ReadFileAttributes(const char16_t* path) override;
};
