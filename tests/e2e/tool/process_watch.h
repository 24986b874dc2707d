#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "report_file.h"

// Reports every process started by the watched process or by one of its descendants, once:
// {"type": "process", "t", "pid", "parent", "exe"}. A process is reported when a snapshot
// shows its executable name (a process only just created may not have one yet), or with an
// empty name if it ends first. A process that starts and ends between two snapshots is not
// seen.
class ProcessWatch {
 public:
  ProcessWatch(DWORD rootProcessId, ReportFile& report, DWORD startTick)
      : rootProcessId_(rootProcessId), report_(report), startTick_(startTick) {
    family_.insert(rootProcessId);
  }

  void Scan();

 private:
  void Report(DWORD pid, DWORD parent, const std::wstring& exe);

  DWORD rootProcessId_;
  ReportFile& report_;
  DWORD startTick_;
  std::set<DWORD> family_;
  std::set<DWORD> reported_;
  std::set<std::pair<DWORD, DWORD>> pending_;  // (pid, parent) seen without a name
};
