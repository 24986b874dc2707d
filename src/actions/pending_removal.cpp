#include "actions/pending_removal.h"

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
  std::vector<std::u16string> strings;
  for (std::size_t start = 0; start < data.size();) {
    std::size_t end = data.find(u'\0', start);
    if (end == std::u16string::npos) end = data.size();
    strings.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  std::vector<PendingOperation> operations;
  for (std::size_t i = 0; i + 1 < strings.size() && !strings[i].empty(); i += 2) {
    PendingOperation operation;
    operation.source = WithoutNtPrefix(strings[i]);
    std::u16string target = strings[i + 1];
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
