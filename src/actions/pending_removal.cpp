#include "actions/pending_removal.h"

#include <algorithm>

#include "common/ascii_text.h"
#include "common/number_text.h"
#include "common/path_text.h"
#include "common/win_errors.h"
#include "log/log_lines.h"

namespace {

// A path as the operations name it: "\??\C:\..." for "C:\...".
std::u16string WithoutNtPrefix(const std::u16string& path) {
  return StartsWithNoCase(path, u"\\??\\") ? path.substr(4) : path;
}

bool IsListed(const std::u16string& path, const std::vector<std::u16string>& files) {
  for (const std::u16string& file : files) {
    if (SamePath(path, file)) return true;
  }
  return false;
}

void LogOperation(RunLog& log, const PendingOperation& operation) {
  if (operation.target.empty()) {
    log.Line({"pending at restart: delete ", operation.source});
  } else if (operation.replaces) {
    log.Line({"pending at restart: replace ", operation.target, " by ", operation.source});
  } else {
    log.Line({"pending at restart: move ", operation.source, " to ", operation.target});
  }
}

}  // namespace

std::vector<PendingOperation> ParsePendingOperations(const std::u16string& data) {
  std::vector<PendingOperation> operations;
  // Each string ends at its zero, or at the end of data that lacks the last one.
  std::size_t at = 0;
  const auto next = [&]() {
    const std::size_t end = std::min(data.find(u'\0', at), data.size());
    std::u16string text = data.substr(at, end - at);
    at = end + 1;
    return text;
  };
  while (at < data.size()) {
    PendingOperation operation;
    operation.source = WithoutNtPrefix(next());
    if (operation.source.empty() || at >= data.size()) break;  // no target: cut short
    std::u16string target = next();
    operation.replaces = !target.empty() && target[0] == u'!';
    operation.target = WithoutNtPrefix(operation.replaces ? target.substr(1) : target);
    operations.push_back(operation);
  }
  return operations;
}

bool TouchesFiles(const PendingOperation& operation, const std::vector<std::u16string>& files) {
  return IsListed(operation.source, files) ||
         (operation.replaces && IsListed(operation.target, files));
}

bool MarkRemovalAwaitingRestart(const System& sys, const std::vector<std::u16string>& files) {
  sys.resume->DeleteVolatileMark();
  bool createdNew = false;
  const SysResult<bool> made = sys.resume->CreateVolatileMark(files, &createdNew);
  if (!made.value) {
    sys.log.Line({"restart mark: not set, error ", DecimalText(made.error)});
  } else if (!createdNew) {
    sys.log.Line({"restart mark: not set: a lasting key of its name is in the way"});
  } else {
    sys.log.Line(
        {"restart mark: set, ", DecimalText(static_cast<std::uint32_t>(files.size())), " files"});
  }
  return made.value && createdNew;
}

bool RemovedFilesPendingAtRestart(const System& sys) {
  std::vector<std::u16string> files;
  const SysResult<bool> marked = sys.resume->ReadVolatileMark(&files);
  if (!marked.value) {
    if (marked.error != kErrorFileNotFound) {
      sys.log.Line({"restart mark: unreadable, error ", DecimalText(marked.error)});
    }
    return false;
  }
  sys.log.Line({"restart mark: a removal of the plug-in waits for the restart, ",
                DecimalText(static_cast<std::uint32_t>(files.size())), " files"});
  if (files.empty()) return false;
  bool touched = false;
  for (const char16_t* value : {kPendingOperationsValue, kPendingOperations2Value}) {
    std::u16string data;
    const SysResult<bool> read = sys.resume->ReadPendingFileOperations(value, &data);
    if (!read.value && read.error != kErrorFileNotFound) {
      // What the next start does is unknown: the files may go.
      sys.log.Line({"pending at restart: ", value, " unreadable, error ", DecimalText(read.error)});
      touched = true;
    }
    for (const PendingOperation& operation : ParsePendingOperations(data)) {
      if (!TouchesFiles(operation, files)) continue;
      LogOperation(sys.log, operation);
      touched = true;
    }
  }
  if (!touched) sys.log.Line({"plug-in: no file of the removed plug-in is pending at the restart"});
  return touched;
}
