#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_files.h"
#include "system/resume_api.h"

// The resume's calls over the fake file system, whose searches see what is made here. Contents
// are kept by path; `failures` makes a call fail with an error; files `inUse` stay until the
// restart; a folder made protected here is the launcher's own.
class FakeResume : public ResumeApi {
 public:
  explicit FakeResume(FakeFiles& files) : files_(files) {}

  std::u16string programFiles = u"C:\\Program Files";
  std::u16string ownPath = u"C:\\dist\\zirelpluginsetup.exe";
  std::vector<std::uint32_t> randoms{0x1a2b3c4du, 0x5e6f7081u};  // handed out in turn
  std::map<std::string, std::uint32_t> failures;                 // call name -> error
  std::map<std::u16string, std::u16string> contents;
  std::set<std::u16string> trusted;
  std::set<std::u16string> inUse;
  std::vector<std::u16string> atRestart;
  std::optional<std::vector<std::u16string>> mark;
  std::map<std::u16string, std::u16string> pendingOperations;  // value name -> data
  bool keepsAccessLists = true;
  bool markCreatesExisting = false;  // a lasting key is in the way
  UtcTime now{2026, 12, 7, 22, 5, 9};

  SysResult<bool> ReadProgramFilesFolder(std::u16string* path) override {
    *path = programFiles;
    return {true, 0};
  }
  SysResult<bool> ReadOwnPath(std::u16string* path) override {
    *path = ownPath;
    return {true, 0};
  }
  bool RandomNumber(std::uint32_t* value) override {
    if (next_ >= randoms.size()) return false;
    *value = randoms[next_++];
    return true;
  }
  SysResult<bool> CreateProtectedFolder(const char16_t* path) override {
    if (Exists(path)) return {false, 183};
    if (failures.count("CreateProtectedFolder")) return {false, failures["CreateProtectedFolder"]};
    trusted.insert(path);
    return Make(path, true);
  }
  SysResult<bool> CreateFolder(const char16_t* path) override {
    return Exists(path) ? SysResult<bool>{false, 183} : Make(path, true);
  }
  FolderTrust ReadFolderTrust(const char16_t* path) override {
    const std::uint32_t attributes = files_.ReadFileAttributes(path);
    if (attributes == kInvalidFileAttributes) return FolderTrust::kUnreadable;
    if (attributes & kFileAttributeReparsePoint) return FolderTrust::kReparsePoint;
    return trusted.count(path) ? FolderTrust::kOwn : FolderTrust::kForeign;
  }
  SysResult<bool> CopyNewFile(const char16_t* from, const char16_t* to) override {
    if (!Exists(from)) return {false, 2};
    if (failures.count("CopyNewFile")) return {false, failures["CopyNewFile"]};
    return WriteNewFile(to, contents[from]);
  }
  SysResult<bool> WriteNewFile(const char16_t* path, const std::u16string& text) override {
    if (Exists(path)) return {false, 80};
    contents[path] = text;
    return Make(path, false);
  }
  SysResult<bool> ReadWholeFile(const char16_t* path, std::u16string* text) override {
    if (!Exists(path)) return {false, 2};
    *text = contents[path];
    return {true, 0};
  }
  SysResult<bool> RemoveFile(const char16_t* path) override {
    if (inUse.count(path)) return {false, 5};
    return Remove(path);
  }
  SysResult<bool> RemoveFolder(const char16_t* path) override {
    return HasEntries(path) ? SysResult<bool>{false, 145} : Remove(path);  // ERROR_DIR_NOT_EMPTY
  }
  SysResult<bool> RemoveAtRestart(const char16_t* path) override {
    atRestart.push_back(path);
    return {true, 0};
  }
  SysResult<bool> SetCurrentFolder(const char16_t* path) override {
    if (!Exists(path)) return {false, 3};
    files_.currentDirectory = path;
    return {true, 0};
  }
  SysResult<bool> KeepsAccessLists(const char16_t*) override { return {keepsAccessLists, 0}; }
  SysResult<bool> CreateVolatileMark(const std::vector<std::u16string>& files,
                                     bool* createdNew) override {
    *createdNew = !mark && !markCreatesExisting;
    if (*createdNew) mark = files;
    return {true, 0};
  }
  SysResult<bool> ReadVolatileMark(std::vector<std::u16string>* files) override {
    if (!mark) return {false, 2};
    *files = *mark;
    return {true, 0};
  }
  SysResult<bool> ReadPendingFileOperations(const char16_t* valueName,
                                            std::u16string* data) override {
    const auto found = pendingOperations.find(valueName);
    if (found == pendingOperations.end()) return {false, 2};
    *data = found->second;
    return {true, 0};
  }
  SysResult<bool> DeleteVolatileMark() override {
    const bool had = mark.has_value();
    mark.reset();
    return {had, had ? 0u : 2u};
  }
  UtcTime NowUtc() override { return now; }

  bool Exists(const std::u16string& path) {
    return files_.ReadFileAttributes(path.c_str()) != kInvalidFileAttributes;
  }

 private:
  SysResult<bool> Make(const std::u16string& path, bool folder) {
    folder ? files_.AddDirectory(path) : files_.AddFile(path);
    return {true, 0};
  }
  SysResult<bool> Remove(const std::u16string& path) {
    if (!Exists(path)) return {false, 2};
    files_.Remove(path);
    contents.erase(path);
    return {true, 0};
  }
  bool HasEntries(const std::u16string& folder) {
    FindEntry entry;
    const SearchHandle search = files_.FindFirst((folder + u"\\*").c_str(), &entry);
    bool any = false;
    if (search == kInvalidHandle<SearchHandle>) return false;
    do any |= entry.name != u"." && entry.name != u"..";
    while (files_.FindNext(search, &entry));
    files_.CloseFind(search);
    return any;
  }

  FakeFiles& files_;
  std::size_t next_ = 0;
};
