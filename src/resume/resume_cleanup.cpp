#include "resume/resume_cleanup.h"

#include "common/number_text.h"
#include "log/log_lines.h"
#include "resume/resume_folders.h"
#include "resume/scheduled_task.h"

namespace {

// Whether `folder` may be removed; one that may not is named in the log with `who`'s words.
bool MayRemove(const System& sys, const char16_t* who, const std::u16string& folder) {
  if (sys.resume->ReadFolderTrust(folder.c_str()) == FolderTrust::kOwn) return true;
  sys.log.Line({who, folder, " is left alone: not the launcher's own"});
  return false;
}

}  // namespace

void RemoveLeftoverResume(const System& sys, SetupState& state) {
  bool taskDeleted = false;
  for (const std::u16string& folder : ResumeFolders(sys)) {
    if (!MayRemove(sys, u"resume: ", folder)) continue;
    if (!taskDeleted && HoldsResumeFile(sys, folder)) {
      DeleteTask(sys, state);
      taskDeleted = true;
    }
    RemoveFolderTree(sys, folder);
    sys.log.Line({"resume: leftover folder ", folder, " removed"});
  }
}

void RemoveTaskAndCopy(const System& sys, SetupState& state, const std::u16string& folder) {
  const std::uint32_t deleted = DeleteTask(sys, state);
  if (deleted != 0) {
    // The copy goes at the next restart at the latest, so the task cannot start it again.
    sys.log.Line({"resume: the task could not be deleted, error ", DecimalText(deleted)});
  }
  RemoveFolderTree(sys, folder);
}

std::uint32_t CancelResume(const System& sys, SetupState& state) {
  if (sys.resume == nullptr) return 0;
  if (!TaskRegistered(sys, state)) {
    sys.log.Line({"cancel resume: no task registered"});
  } else if (const std::uint32_t deleted = DeleteTask(sys, state); deleted != 0) {
    sys.log.Line({"cancel resume: the task cannot be deleted, error ", DecimalText(deleted)});
    return deleted;
  } else {
    sys.log.Line({"cancel resume: task ", kResumeTaskName, " deleted"});
  }
  for (const std::u16string& folder : ResumeFolders(sys)) {
    if (!MayRemove(sys, u"cancel resume: ", folder)) continue;
    if (const std::uint32_t failed = RemoveFolderTree(sys, folder); failed != 0) {
      sys.log.Line(
          {"cancel resume: folder ", folder, " cannot be removed, error ", DecimalText(failed)});
      return failed;
    }
    sys.log.Line({"cancel resume: folder ", folder, " removed"});
  }
  std::vector<std::u16string> files;
  if (sys.resume->ReadVolatileMark(&files).value) {
    sys.log.Line({"cancel resume: the restart mark stays"});
  }
  return 0;
}
