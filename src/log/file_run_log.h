#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "system/log_file_api.h"
#include "system/run_log.h"

constexpr std::uint32_t kRunLogLimit = 1024 * 1024;  // bytes per run, the last line included
// The elapsed milliseconds in front of a line: up to ten digits, padding, the separating blank.
constexpr std::size_t kRunLogPrefixMax = 12;
// Room kept below the limit for the lines that close a run, each with its prefix and line end.
constexpr std::size_t kRunLogClosingRoom =
    kMostClosingLines * (kRunLogPrefixMax + kClosingTextMax + 2);

// The run's log in the temporary folder: "zirelpluginsetup_<yyyyMMdd_HHmmss>_<pid>.log" in
// local time with the process id, "_<n>" added when the name is taken. UTF-8 with a byte-order
// mark, one line per event ending with CR LF, each starting with the milliseconds since the log
// was made. Every line goes to the file at once, so a process that is killed leaves all lines
// written so far. At most kRunLogLimit bytes: the line that would leave too little room for the
// end is replaced by one saying that the rest was dropped; after it only the lines written as
// closing lines (LineKind) go in, in room kept for them, so that the log still ends as every
// log does. A log that cannot be created or written keeps nothing and says nothing.
class FileRunLog final : public RunLog {
 public:
  explicit FileRunLog(LogFileApi& files);
  ~FileRunLog() override;
  FileRunLog(const FileRunLog&) = delete;
  FileRunLog& operator=(const FileRunLog&) = delete;

  // Creates the file and writes its first line (the program and its version). False when no
  // file could be made; the log then drops every line.
  bool Open();
  // Full path of the file; empty when none was made.
  const std::u16string& path() const { return path_; }

  void Line(LogParts parts) override;
  void Closing(LogParts parts) override;
  std::uint32_t ElapsedMs() override;

  // Appends `text` (printable ASCII, cut at 200 characters) as one line of `kind` without
  // allocating memory: for the last words of a process that ran out of it.
  void AppendAscii(const char* text, LineKind kind = LineKind::kEvent);

 private:
  void Write(LogParts parts, bool closing);
  void Append(const char* bytes, std::size_t size, bool closing);
  void AppendUnbounded(const char* bytes, std::size_t size);

  LogFileApi& files_;
  std::uint32_t startTick_;
  FileHandle file_ = kInvalidHandle<FileHandle>;
  std::u16string path_;
  std::size_t written_ = 0;
  bool dropping_ = false;  // the limit was reached: only closing lines from now on
  bool broken_ = false;    // a write failed: nothing more
};
