#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The driver's report: a UTF-8 JSON object rewritten whole after every event, so that a run
// cut short (a restart of Windows ends every process of the prefix) still leaves what was seen.
//
// {"finished": bool, "started": bool, "startError": n, "timeout": bool,
//  "exitCode": n or null, "windowsVersion": [major, minor, service pack] or null,
//  "driverError": text, "events": [ {...}, ... ]}
class ReportFile {
 public:
  explicit ReportFile(std::wstring path) : path_(std::move(path)) {}

  void SetStarted(bool started, DWORD error) {
    started_ = started;
    startError_ = error;
  }
  void SetTimeout() { timeout_ = true; }
  void SetExitCode(DWORD code) {
    hasExitCode_ = true;
    exitCode_ = code;
  }
  void SetWindowsVersion(DWORD major, DWORD minor, DWORD servicePack) {
    hasVersion_ = true;
    version_[0] = major;
    version_[1] = minor;
    version_[2] = servicePack;
  }
  void SetDriverError(const std::wstring& error) { driverError_ = error; }
  // `eventJson` is one complete JSON object.
  void AddEvent(std::string eventJson) { events_.push_back(std::move(eventJson)); }

  // Writes the report; `finished` marks the last write of the run.
  bool Write(bool finished) const;

 private:
  std::wstring path_;
  bool started_ = false;
  DWORD startError_ = 0;
  bool timeout_ = false;
  bool hasExitCode_ = false;
  DWORD exitCode_ = 0;
  bool hasVersion_ = false;
  DWORD version_[3] = {};
  std::wstring driverError_;
  std::vector<std::string> events_;
};
