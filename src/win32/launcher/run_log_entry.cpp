#include "win32/launcher/run_log_entry.h"

#include "log/file_run_log.h"

namespace {

FileRunLog* active = nullptr;

}  // namespace

ActiveRunLog::ActiveRunLog(FileRunLog& log) {
  active = &log;
}

ActiveRunLog::~ActiveRunLog() {
  active = nullptr;
}

void AppendToRunLog(const char* asciiLine, LineKind kind) {
  if (active != nullptr) active->AppendAscii(asciiLine, kind);
}
