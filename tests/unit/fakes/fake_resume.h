#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_files.h"
#include "system/resume_api.h"

// The resume's calls over the fake file system: folders and files made here are seen by its
// searches. File contents are kept by path; `failures` makes one kind of call fail with an
// error; files in `inUse` cannot be deleted now (a running program).
class FakeResume : public ResumeApi {
 public:
  explicit FakeResume(FakeFiles& files) : files_(files) {}

  std::u16string programFiles = u"C:\\Program Files";
  std::u16string ownPath = u"C:\\dist\\zirelpluginsetup.exe";
  std::vector<std::uint32_t> randoms{0x1a2b3c4du, 0x5e6f7081u};  // handed out in turn
  std::map<std::string, std::uint32_t> failures;                 // call name -> error
  std::map<std::u16string, FolderTrust> trust;  // folders made protected here are kOwn
  std::map<std::u16string, std::string> contents;
  std::set<std::u16string> inUse;
  std::vector<std::u16string> atRestart;
  std::optional<std::u16string> mark;
  bool markCreatesExisting = false;  // the key exists as a non-volatile one
  UtcTime now{2026, 12, 7, 22, 5, 9};
  std::vector<std::uint32_t> waits;

  SysResult<bool> ReadProgramFilesFolder(std::u16string* path) override {
    if (Fails("ReadProgramFilesFolder")) return Failed("ReadProgramFilesFolder");
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
    if (Fails("CreateProtectedFolder")) return Failed("CreateProtectedFolder");
    files_.AddDirectory(path);
    trust[path] = FolderTrust::kOwn;
    return {true, 0};
  }
  SysResult<bool> CreateFolder(const char16_t* path) override {
    if (Exists(path)) return {false, 183};
    files_.AddDirectory(path);
    return {true, 0};
  }
  FolderTrust ReadFolderTrust(const char16_t* path) override {
    const std::uint32_t attributes = files_.ReadFileAttributes(path);
    if (attributes == kInvalidFileAttributes) return FolderTrust::kUnreadable;
    if (attributes & kFileAttributeReparsePoint) return FolderTrust::kReparsePoint;
    const auto it = trust.find(path);
    return it == trust.end() ? FolderTrust::kForeign : it->second;
  }
  SysResult<bool> CopyNewFile(const char16_t* from, const char16_t* to) override {
    if (!Exists(from)) return {false, 2};
    if (Exists(to)) return {false, 80};
    if (Fails("CopyNewFile")) return Failed("CopyNewFile");
    files_.AddFile(to);
    contents[to] = contents.count(from) ? contents[from] : "copy of " + Utf8(from);
    return {true, 0};
  }
  SysResult<bool> WriteNewFile(const char16_t* path, const std::string& bytes) override {
    if (Exists(path)) return {false, 80};
    if (Fails("WriteNewFile")) return Failed("WriteNewFile");
    files_.AddFile(path);
    contents[path] = bytes;
    return {true, 0};
  }
  SysResult<bool> ReadWholeFile(const char16_t* path, std::string* bytes) override {
    const auto it = contents.find(path);
    if (!Exists(path) || it == contents.end()) return {false, 2};
    *bytes = it->second;
    return {true, 0};
  }
  SysResult<bool> RemoveFile(const char16_t* path) override {
    if (inUse.count(path)) return {false, 5};
    if (!Exists(path)) return {false, 2};
    files_.Remove(path);
    contents.erase(path);
    return {true, 0};
  }
  SysResult<bool> RemoveFolder(const char16_t* path) override {
    if (!Exists(path)) return {false, 2};
    if (HasEntries(path)) return {false, 145};  // ERROR_DIR_NOT_EMPTY
    files_.Remove(path);
    return {true, 0};
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
  SysResult<bool> CreateVolatileMark(const std::u16string& id, bool* createdNew) override {
    if (Fails("CreateVolatileMark")) return Failed("CreateVolatileMark");
    *createdNew = !mark && !markCreatesExisting;
    if (*createdNew) mark = id;
    return {true, 0};
  }
  SysResult<bool> ReadVolatileMark(std::u16string* id) override {
    if (Fails("ReadVolatileMark")) return Failed("ReadVolatileMark");
    if (!mark) return {false, 2};
    *id = *mark;
    return {true, 0};
  }
  SysResult<bool> DeleteVolatileMark() override {
    if (!mark) return {false, 2};
    mark.reset();
    return {true, 0};
  }
  UtcTime NowUtc() override { return now; }
  void Wait(std::uint32_t milliseconds) override { waits.push_back(milliseconds); }

  bool Exists(const std::u16string& path) {
    return files_.ReadFileAttributes(path.c_str()) != kInvalidFileAttributes;
  }

 private:
  bool Fails(const std::string& call) const { return failures.count(call) != 0; }
  SysResult<bool> Failed(const std::string& call) const { return {false, failures.at(call)}; }
  bool HasEntries(const std::u16string& folder) {
    FindEntry entry;
    const SearchHandle search = files_.FindFirst((folder + u"\\*").c_str(), &entry);
    if (search == kInvalidHandle<SearchHandle>) return false;
    bool any = false;
    do {
      any |= entry.name != u"." && entry.name != u"..";
    } while (files_.FindNext(search, &entry));
    files_.CloseFind(search);
    return any;
  }

  FakeFiles& files_;
  std::size_t next_ = 0;
};
