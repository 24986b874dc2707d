#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "system/file_api.h"

// Directory listings read whole and handed out entry by entry, as FindFirstFileW and
// FindNextFileW hand them out; and the real file system's listings, each read once for the
// whole check, which reads a folder that does not change meanwhile.

class ListingHandout {
 public:
  // The first of `entries` into `entry`, and the handle that hands out the rest; the invalid
  // handle where there is none.
  SearchHandle Open(std::vector<FindEntry> entries, FindEntry* entry);
  bool Next(SearchHandle search, FindEntry* entry);
  bool Close(SearchHandle search);

 private:
  struct Listing {
    std::vector<FindEntry> entries;
    std::size_t next = 1;
  };
  std::map<SearchHandle, Listing> listings_;
  std::uintptr_t nextHandle_ = 1;
};

class ListingCache final : public FileApi {
 public:
  explicit ListingCache(FileApi& real) : real_(real) {}

  // The real listing of `pattern`, read at its first search.
  SearchHandle FindFirst(const char16_t* pattern, FindEntry* entry) override;
  bool FindNext(SearchHandle search, FindEntry* entry) override {
    return handout_.Next(search, entry);
  }
  bool CloseFind(SearchHandle search) override { return handout_.Close(search); }
  // The rest as the real system answers.
  SysResult<std::uint32_t> ReadCurrentDirectory(std::uint32_t bufferLength,
                                                char16_t* buffer) override {
    return real_.ReadCurrentDirectory(bufferLength, buffer);
  }
  SysResult<std::uint32_t> ReadFullPathName(const char16_t* name, std::uint32_t bufferLength,
                                            char16_t* buffer) override {
    return real_.ReadFullPathName(name, bufferLength, buffer);
  }
  SysResult<std::uint32_t> ReadSystemDirectory(char16_t* buffer,
                                               std::uint32_t bufferLength) override {
    return real_.ReadSystemDirectory(buffer, bufferLength);
  }
  SysResult<std::uint32_t> ReadWindowsDirectory(char16_t* buffer,
                                                std::uint32_t bufferLength) override {
    return real_.ReadWindowsDirectory(buffer, bufferLength);
  }
  std::uint32_t ReadFileAttributes(const char16_t* path) override {
    return real_.ReadFileAttributes(path);
  }

 private:
  FileApi& real_;
  std::map<std::u16string, std::vector<FindEntry>> listings_;
  ListingHandout handout_;
};
