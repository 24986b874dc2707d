#pragma once

#include <cstdint>
#include <string>

#include "system/handles.h"
#include "system/sys_result.h"

constexpr std::uint32_t kFileAttributeDirectory = 0x10;        // FILE_ATTRIBUTE_DIRECTORY
constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;    // FILE_ATTRIBUTE_REPARSE_POINT
constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;  // INVALID_FILE_ATTRIBUTES
constexpr std::uint32_t kMaxPath = 260;                        // MAX_PATH

// One entry of a directory listing (the parts of WIN32_FIND_DATAW the launcher reads).
struct FindEntry {
  std::uint32_t attributes = 0;
  std::u16string name;
};

// File and path functions of kernel32. The path readers answer with the error of a failure.
class FileApi {
 public:
  virtual ~FileApi() = default;

  // FindFirstFileW: kInvalidHandle when nothing matches or the search cannot start.
  virtual SearchHandle FindFirst(const char16_t* pattern, FindEntry* entry) = 0;
  // FindNextFileW: false when the listing is exhausted.
  virtual bool FindNext(SearchHandle search, FindEntry* entry) = 0;
  // FindClose.
  virtual bool CloseFind(SearchHandle search) = 0;
  // GetCurrentDirectoryW: length written (without the zero), the size needed (with the zero)
  // when `bufferLength` is too small, or 0 and the error on failure.
  virtual SysResult<std::uint32_t> ReadCurrentDirectory(std::uint32_t bufferLength,
                                                        char16_t* buffer) = 0;
  // GetFullPathNameW with no file-part output; same return convention.
  virtual SysResult<std::uint32_t> ReadFullPathName(const char16_t* name,
                                                    std::uint32_t bufferLength,
                                                    char16_t* buffer) = 0;
  // GetSystemDirectoryW / GetSystemWindowsDirectoryW (the Windows folder shared by all users,
  // also on a Terminal Services host); same return convention.
  virtual SysResult<std::uint32_t> ReadSystemDirectory(char16_t* buffer,
                                                       std::uint32_t bufferLength) = 0;
  virtual SysResult<std::uint32_t> ReadWindowsDirectory(char16_t* buffer,
                                                        std::uint32_t bufferLength) = 0;
  // GetFileAttributesW: kInvalidFileAttributes when the path does not exist.
  virtual std::uint32_t ReadFileAttributes(const char16_t* path) = 0;
};
