#pragma once

#include "system/run_log.h"

class FileRunLog;

// Makes `log` the log that AppendToRunLog writes to, for as long as it lives.
class ActiveRunLog {
 public:
  explicit ActiveRunLog(FileRunLog& log);
  ~ActiveRunLog();
  ActiveRunLog(const ActiveRunLog&) = delete;
  ActiveRunLog& operator=(const ActiveRunLog&) = delete;
};

// Appends `asciiLine` (printable ASCII, no line end, at most 200 characters are kept) as a line
// of `kind` to the active log, with the elapsed milliseconds in front like every line; does
// nothing when no log is active or open. Allocates no memory and takes no lock: it is safe on
// the way out of a process that ran out of memory. Call it from the main thread, as the core's
// lines are.
void AppendToRunLog(const char* asciiLine, LineKind kind = LineKind::kEvent);
