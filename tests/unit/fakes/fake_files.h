#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_kernel.h"
#include "system/file_api.h"

// A file system that searches like FindFirstFileW: `*` and `?` wildcards, no regard to case,
// trailing blanks and full stops of the pattern's last element ignored, "." and ".." listed
// first (except in a drive's root), then the entries in the order NTFS keeps them (names
// compared in upper case). The current directory exists unless `currentDirectoryDeleted`.
// Like every Windows installation it holds msiexec.exe and regini.exe in the system directory
// and regedit.exe in the Windows directory.
class FakeFiles : public FileApi {
 public:
  explicit FakeFiles(FakeKernel& kernel) : kernel_(kernel) {
    AddFile(u"C:\\windows\\system32\\msiexec.exe");
    AddFile(u"C:\\windows\\system32\\regini.exe");
    AddFile(u"C:\\windows\\regedit.exe");
  }

  // The current directory, e.g. u"C:\\dist"; relative patterns are resolved against it.
  std::u16string currentDirectory = u"C:\\dist";
  bool currentDirectoryDeleted = false;  // listing it fails with ERROR_PATH_NOT_FOUND
  bool currentDirectoryFails = false;    // GetCurrentDirectoryW fails
  std::uint32_t currentDirectoryError = 5;
  std::u16string systemDirectory = u"C:\\windows\\system32";
  std::u16string windowsDirectory = u"C:\\windows";

  // Adds a file (and its parent directories) below the root; `path` is absolute.
  void AddFile(const std::u16string& path) { Add(path, 0x20); }
  void AddDirectory(const std::u16string& path) { Add(path, kFileAttributeDirectory); }
  // A junction: a directory entry that is a reparse point.
  void AddJunction(const std::u16string& path) {
    Add(path, kFileAttributeDirectory | kFileAttributeReparsePoint);
  }
  // Removes a file or an empty directory.
  void Remove(const std::u16string& path);

  static bool Matches(std::u16string pattern, const std::u16string& name);

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

  std::vector<std::u16string> searches;  // every pattern given to FindFirst

 private:
  void Add(const std::u16string& path, std::uint32_t attributes);
  std::u16string Absolute(const std::u16string& path) const;
  bool DirectoryExists(const std::u16string& foldedPath) const;

  FakeKernel& kernel_;
  std::map<std::u16string, std::uint32_t> nodes_;   // folded absolute path -> attributes
  std::map<std::u16string, std::u16string> names_;  // folded absolute path -> path as added
  std::map<SearchHandle, std::vector<FindEntry>> pending_;
};
