#pragma once

#include <map>
#include <set>
#include <string>

#include "common/win_errors.h"
#include "fakes/fake_kernel.h"
#include "system/log_file_api.h"

// The temporary folder as far as the run's log uses it. Files live in `files` (full path ->
// bytes written); a path in `files` or in `taken` already exists, and creating it fails with
// ERROR_FILE_EXISTS. `createError` makes every creation fail with that error, `tempPath`
// empty makes reading the temporary folder fail, and after `writesLeft` writes every further
// one fails. The clock advances by `tickStep` at every reading.
class FakeLogFiles : public LogFileApi {
 public:
  explicit FakeLogFiles(FakeKernel& kernel) : kernel_(kernel) {}

  std::u16string tempPath = u"C:\\Temp\\";
  LocalTime now{2026, 3, 4, 5, 6, 7};
  std::uint32_t processId = 4242;
  std::uint32_t tick = 1000;
  std::uint32_t tickStep = 0;
  std::uint32_t createError = 0;
  int writesLeft = -1;  // negative: no limit
  std::set<std::u16string> taken;
  std::map<std::u16string, std::string> files;
  int creations = 0;

  std::uint32_t ReadTempPath(std::uint32_t bufferLength, char16_t* buffer) override {
    if (tempPath.empty()) {
      kernel_.lastError = 5;
      return 0;
    }
    const auto length = static_cast<std::uint32_t>(tempPath.size());
    if (bufferLength <= length) return length + 1;
    tempPath.copy(buffer, length);
    buffer[length] = u'\0';
    return length;
  }
  LocalTime ReadLocalTime() override { return now; }
  std::uint32_t ProcessId() override { return processId; }
  std::uint32_t TickCount() override {
    const std::uint32_t reading = tick;
    tick += tickStep;
    return reading;
  }
  SysResult<FileHandle> CreateNewFile(const char16_t* path) override {
    ++creations;
    if (createError != 0) return {kInvalidHandle<FileHandle>, createError};
    if (files.count(path) != 0 || taken.count(path) != 0) {
      return {kInvalidHandle<FileHandle>, kErrorFileExists};
    }
    const FileHandle file = kernel_.OpenHandle("log file");
    pathOf_[file] = path;
    files[path];
    return {file, 0};
  }
  bool WriteToFile(FileHandle file, const void* data, std::uint32_t size) override {
    if (!kernel_.IsOpen(file) || writesLeft == 0) {
      kernel_.lastError = 112;  // ERROR_DISK_FULL
      return false;
    }
    if (writesLeft > 0) --writesLeft;
    files[pathOf_[file]].append(static_cast<const char*>(data), size);
    return true;
  }
  bool CloseFile(FileHandle file) override { return kernel_.CloseHandle(file); }

 private:
  FakeKernel& kernel_;
  std::map<FileHandle, std::u16string> pathOf_;
};
