#include "resume/scheduled_task.h"

#include "actions/architecture.h"
#include "actions/process_runner.h"
#include "common/win_errors.h"
#include "log/log_lines.h"

TaskScheduler SchedulerOfThisWindows(const System& sys) {
  OsVersion version;
  version.size = OsVersion::kExtendedSize;
  if (!sys.platform.ReadVersion(&version)) return TaskScheduler::kNone;
  return SchedulerOf(version.major, version.minor);
}

std::u16string SchtasksPath(const System& sys, SetupState& state, TaskScheduler scheduler) {
  const bool sysnative = scheduler == TaskScheduler::kVersion2 && IsWow64(sys, state.wow64, true);
  const std::u16string folder = SystemFolder(sys, sysnative);
  if (folder.empty()) return {};
  const std::u16string path = folder + (sysnative ? u"Sysnative\\schtasks.exe" : u"schtasks.exe");
  const std::uint32_t attributes = sys.files.ReadFileAttributes(path.c_str());
  if (attributes == kInvalidFileAttributes || (attributes & kFileAttributeDirectory) != 0) {
    return {};
  }
  return path;
}

bool TaskRegistered(const System& sys, SetupState& state) {
  const TaskScheduler scheduler = SchedulerOfThisWindows(sys);
  if (scheduler == TaskScheduler::kVersion1) {
    const std::u16string windows = SystemFolder(sys, true);
    return !windows.empty() &&
           sys.files.ReadFileAttributes((windows + kResumeTaskJobFile).c_str()) !=
               kInvalidFileAttributes;
  }
  const std::u16string schtasks = SchtasksPath(sys, state, scheduler);
  return !schtasks.empty() && RunProgram(sys, schtasks, QueryTaskCommand()) == 0;
}

std::uint32_t DeleteTask(const System& sys, SetupState& state) {
  const std::u16string schtasks = SchtasksPath(sys, state, SchedulerOfThisWindows(sys));
  if (schtasks.empty()) {
    sys.log.Line({"resume: schtasks.exe not found, the task is not deleted"});
    return kErrorFileNotFound;
  }
  return RunProgram(sys, schtasks, DeleteTaskCommand());
}
