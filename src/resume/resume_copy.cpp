#include "resume/resume_copy.h"

#include "actions/architecture.h"
#include "actions/process_runner.h"
#include "common/ascii_text.h"
#include "common/number_text.h"
#include "common/product_catalogue.h"
#include "common/scoped_handles.h"
#include "common/win_errors.h"
#include "installer/package_lookup.h"
#include "log/log_lines.h"
#include "resume/resume_task.h"

namespace {

constexpr int kFolderNameAttempts = 8;
constexpr std::uint32_t kVersionRecordSize = 284;  // sizeof(OSVERSIONINFOEXW)

TaskScheduler SchedulerOfThisWindows(const System& sys) {
  OsVersion version;
  version.size = kVersionRecordSize;
  if (!sys.platform.ReadVersion(&version)) return TaskScheduler::kNone;
  return SchedulerOf(version.major, version.minor);
}

// schtasks.exe by full path: the 64-bit one through Sysnative under WOW64 on Vista and later
// (a 32-bit process's System32 is SysWOW64); empty when it is not there.
std::u16string SchtasksPath(const System& sys, SetupState& state, TaskScheduler scheduler) {
  const bool sysnative = scheduler == TaskScheduler::kVersion2 && IsWow64(sys, state.wow64, true);
  const std::u16string folder = SystemFolder(sys, sysnative);
  if (folder.empty()) return {};
  const std::u16string path = folder + (sysnative ? u"Sysnative\\schtasks.exe" : u"schtasks.exe");
  const std::uint32_t attributes = sys.files.ReadFileAttributes(path.c_str());
  if (attributes == kInvalidFileAttributes || (attributes & kFileAttributeDirectory) != 0)
    return {};
  return path;
}

std::u16string Joined(const std::u16string& folder, const std::u16string& name) {
  return folder + u"\\" + name;
}

std::u16string NameOf(const std::u16string& path) {
  const std::size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::u16string ParentOf(const std::u16string& path) {
  const std::size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

// Hands every entry of `folder` but "." and ".." to `visit(entry)`, in listing order.
template <typename Visit>
void ForEachEntry(FileApi& files, const std::u16string& folder, Visit visit) {
  const std::u16string pattern = folder + u"\\*";
  FindEntry entry;
  ScopedFind listing(files, files.FindFirst(pattern.c_str(), &entry));
  if (!listing.IsOpen()) return;
  do {
    if (entry.name != u"." && entry.name != u"..") visit(static_cast<const FindEntry&>(entry));
  } while (files.FindNext(listing.get(), &entry));
}

bool IsPlainFolder(const FindEntry& entry) {
  return (entry.attributes & kFileAttributeDirectory) != 0 &&
         (entry.attributes & kFileAttributeReparsePoint) == 0;
}

// Removes a file now or, when it is in use, at the next restart.
void RemoveFileOrLater(const System& sys, const std::u16string& path) {
  if (!sys.resume->RemoveFile(path.c_str()).value) sys.resume->RemoveAtRestart(path.c_str());
}

// The folder's contents (a reparse point is removed itself, never entered), then the folder;
// what is in use goes at the next restart.
void RemoveFolderTree(const System& sys, const std::u16string& folder) {
  ForEachEntry(sys.files, folder, [&](const FindEntry& entry) {
    const std::u16string path = Joined(folder, entry.name);
    if (IsPlainFolder(entry)) {
      RemoveFolderTree(sys, path);
    } else if ((entry.attributes & kFileAttributeDirectory) != 0) {
      sys.resume->RemoveFolder(path.c_str());
    } else {
      RemoveFileOrLater(sys, path);
    }
  });
  if (!sys.resume->RemoveFolder(folder.c_str()).value) {
    sys.resume->RemoveAtRestart(folder.c_str());
  }
}

// Deletes the task with the schtasks.exe of this Windows; its exit code, or 2 without one.
std::uint32_t DeleteTask(const System& sys, SetupState& state) {
  const std::u16string schtasks = SchtasksPath(sys, state, SchedulerOfThisWindows(sys));
  if (schtasks.empty()) {
    sys.log.Line({"resume: schtasks.exe not found, the task is not deleted"});
    return 2;
  }
  return RunProgram(sys, schtasks, DeleteTaskCommand());
}

// One registration being made: undone, unless it completes.
class Registration {
 public:
  Registration(const System& sys, SetupState& state) : sys_(sys), state_(state) {}
  ~Registration() {
    if (complete_) return;
    if (!folder_.empty()) RemoveFolderTree(sys_, folder_);
  }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;

  // Log why there is no resume; false, for the caller to return.
  bool Refuse(const char* why, std::uint32_t error = 0);

  bool Make(const std::u16string& pluginArgs) {
    ResumeApi& resume = *sys_.resume;
    const TaskScheduler scheduler = SchedulerOfThisWindows(sys_);
    if (scheduler == TaskScheduler::kNone) return Refuse("this Windows has no schtasks.exe");
    const std::u16string schtasks = SchtasksPath(sys_, state_, scheduler);
    if (schtasks.empty()) return Refuse("schtasks.exe not found");

    std::u16string programFiles, ownPath, package;
    if (const SysResult<bool> read = resume.ReadProgramFilesFolder(&programFiles); !read.value) {
      return Refuse("Program Files is unreadable", read.error);
    }
    if (const SysResult<bool> read = resume.ReadOwnPath(&ownPath); !read.value) {
      return Refuse("its own path is unreadable", read.error);
    }
    const std::u16string pattern = kPlugin.packagePrefix + ArchitectureSuffix(sys_, state_.wow64);
    if (const std::uint32_t found = FindPackageFile(sys_, pattern, package); found != 0) {
      return Refuse("no plug-in package", found);
    }

    std::u16string id;
    for (int attempt = 0; folder_.empty(); ++attempt) {
      std::uint32_t random = 0;
      if (attempt == kFolderNameAttempts || !resume.RandomNumber(&random)) {
        return Refuse("no new folder name");
      }
      id = RegistrationId(random);
      const std::u16string folder = Joined(programFiles, kResumeFolderPrefix + id);
      const SysResult<bool> made = resume.CreateProtectedFolder(folder.c_str());
      if (made.value) {
        folder_ = folder;
      } else if (made.error != kErrorAlreadyExists) {
        return Refuse("the folder cannot be made", made.error);
      } else {
        sys_.log.Line({"resume: ", folder, " exists already, another name is taken"});
      }
    }

    const std::u16string copy = Joined(folder_, NameOf(ownPath));
    const std::u16string packageFolder = Joined(folder_, NameOf(ParentOf(package)));
    const std::u16string packageCopy = Joined(packageFolder, NameOf(package));
    const std::u16string resumeFile = Joined(folder_, kResumeFileName);
    SysResult<bool> step = resume.CopyNewFile(ownPath.c_str(), copy.c_str());
    if (step.value) step = resume.CreateFolder(packageFolder.c_str());
    if (step.value) step = resume.CopyNewFile(package.c_str(), packageCopy.c_str());
    if (step.value) {
      step = resume.WriteNewFile(resumeFile.c_str(), BuildResumeFile(id, pluginArgs));
    }
    if (!step.value) return Refuse("the copy failed", step.error);

    std::uint32_t code = 0;
    if (scheduler == TaskScheduler::kVersion2) {
      const std::u16string xmlPath = Joined(folder_, kResumeTaskFileName);
      step = resume.WriteNewFile(xmlPath.c_str(), BuildTaskXml(resume.NowUtc(), copy, folder_));
      if (!step.value) return Refuse("the task file failed", step.error);
      code = RunProgram(sys_, schtasks, CreateTaskCommand(xmlPath));
    } else {
      if (copy.size() + 2 > kMaxTaskRunLength) {
        return Refuse("the copy's path is too long for /tr");
      }
      RunProgram(sys_, schtasks, DeleteTaskCommand());  // /create has no /f here
      code = RunProgram(sys_, schtasks, CreateStartupTaskCommand(copy));
    }
    if (code != 0) return Refuse("schtasks failed", code);
    complete_ = true;
    sys_.log.Line({"resume: registered task ", kResumeTaskName, ", folder ", folder_});
    return true;
  }

 private:
  const System& sys_;
  SetupState& state_;
  std::u16string folder_;
  bool complete_ = false;
};

bool Registration::Refuse(const char* why, std::uint32_t error) {
  std::u16string line;
  AppendAscii(line, why);
  if (error != 0) line += u", error " + DecimalText(error);
  sys_.log.Line({"resume: not registered: ", line});
  return false;
}

}  // namespace

void RegisterResume(const System& sys, SetupState& state, const std::u16string& pluginArgs) {
  Registration registration(sys, state);
  registration.Make(pluginArgs);
}

void RemoveLeftoverResume(const System& sys, SetupState& state) {
  std::u16string programFiles;
  if (!sys.resume->ReadProgramFilesFolder(&programFiles).value) return;
  const std::u16string pattern = programFiles + u"\\" + kResumeFolderPrefix + u"*";
  bool taskDeleted = false;
  FindEntry entry;
  ScopedFind listing(sys.files, sys.files.FindFirst(pattern.c_str(), &entry));
  if (!listing.IsOpen()) return;
  do {
    // The search also matches short names; only the long name counts.
    if (!IsPlainFolder(entry) || !StartsWithNoCase(entry.name, kResumeFolderPrefix)) continue;
    const std::u16string folder = Joined(programFiles, entry.name);
    if (sys.resume->ReadFolderTrust(folder.c_str()) != FolderTrust::kOwn) {
      sys.log.Line({"resume: ", folder, " is left alone: not the launcher's own"});
      continue;
    }
    // A folder that still holds its resume file is still registered.
    const std::u16string resumeFile = Joined(folder, kResumeFileName);
    if (!taskDeleted &&
        sys.files.ReadFileAttributes(resumeFile.c_str()) != kInvalidFileAttributes) {
      DeleteTask(sys, state);
      taskDeleted = true;
    }
    RemoveFolderTree(sys, folder);
    sys.log.Line({"resume: leftover folder ", folder, " removed"});
  } while (sys.files.FindNext(listing.get(), &entry));
}

void RemoveTaskAndCopy(const System& sys, SetupState& state, const std::u16string& folder) {
  const std::uint32_t deleted = DeleteTask(sys, state);
  if (deleted != 0) {
    // The copy goes at the next restart at the latest, so the task cannot start it again.
    sys.log.Line({"resume: the task could not be deleted, error ", DecimalText(deleted)});
  }
  RemoveFolderTree(sys, folder);
}
