#include "resume/resume_registration.h"

#include <vector>

#include "actions/architecture.h"
#include "actions/process_runner.h"
#include "common/ascii_text.h"
#include "common/number_text.h"
#include "common/path_text.h"
#include "common/product_catalogue.h"
#include "common/win_errors.h"
#include "installer/package_lookup.h"
#include "log/log_lines.h"
#include "resume/boot_paths.h"
#include "resume/resume_folders.h"
#include "resume/resume_task.h"
#include "resume/scheduled_task.h"

namespace {

constexpr int kFolderNameAttempts = 8;

// A cabinet name of the Media table that stands for a file beside the package: no "#" (a stream
// of the package), nothing that leaves that folder.
bool IsBareFileName(const std::u16string& name) {
  return !name.empty() && name.find_first_of(u"\\/:") == std::u16string::npos && name != u"." &&
         name != u"..";
}

// Whether a File row with these attributes is kept outside any cabinet, in a package whose
// Word Count is `wordCount`.
bool IsUncompressed(const std::u16string& attributes, int wordCount) {
  std::uint32_t value = 0;
  for (const char16_t c : attributes) value = value * 10 + static_cast<std::uint32_t>(c - u'0');
  if ((value & kFileNoncompressed) != 0) return true;
  return (wordCount & kSourceTypeCompressed) == 0 && (value & kFileCompressed) == 0;
}

// One registration being made: undone, unless it completes.
class Registration {
 public:
  Registration(const System& sys, SetupState& state) : sys_(sys), state_(state) {}
  ~Registration() {
    if (!complete_ && !folder_.empty()) RemoveFolderTree(sys_, folder_);
  }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;

  bool Make(const std::u16string& pluginArgs);

 private:
  // Log why there is no resume; false, for the caller to return.
  bool Refuse(const char* why, std::uint32_t error = 0);
  // The external cabinets of `package`, or a refusal when it holds a file outside any cabinet.
  bool ReadCabinets(const std::u16string& package, std::vector<std::u16string>* cabinets);
  bool MakeFolder(const std::u16string& programFiles);
  std::uint32_t RegisterTask(TaskScheduler scheduler, const std::u16string& schtasks,
                             const std::u16string& copy);

  const System& sys_;
  SetupState& state_;
  std::u16string folder_;
  std::u16string id_;
  bool complete_ = false;
};

bool Registration::Refuse(const char* why, std::uint32_t error) {
  std::u16string line;
  AppendAscii(line, why);
  if (error != 0) line += u", error " + DecimalText(error);
  sys_.log.Line({"resume: not registered: ", line});
  return false;
}

bool Registration::ReadCabinets(const std::u16string& package,
                                std::vector<std::u16string>* cabinets) {
  if (sys_.tables == nullptr) return Refuse("the package's media cannot be read");
  std::vector<std::u16string> media, files;
  int wordCount = 0;
  std::uint32_t read =
      sys_.tables->ReadRows(package.c_str(), u"SELECT `Cabinet` FROM `Media`", 1, &media);
  if (read == 0) {
    read = sys_.tables->ReadRows(package.c_str(), u"SELECT `Attributes` FROM `File`", 1, &files);
  }
  if (read == 0)
    read = sys_.tables->ReadSummaryNumber(package.c_str(), kSummaryWordCount, &wordCount);
  if (read != 0) return Refuse("the package's media cannot be read", read);
  for (const std::u16string& attributes : files) {
    if (IsUncompressed(attributes, wordCount)) return Refuse("the package has uncompressed files");
  }
  for (const std::u16string& cabinet : media) {
    if (cabinet.empty() || cabinet[0] == u'#') continue;
    if (!IsBareFileName(cabinet)) return Refuse("the package names a cabinet outside its folder");
    cabinets->push_back(cabinet);
  }
  return true;
}

bool Registration::MakeFolder(const std::u16string& programFiles) {
  for (int attempt = 0; folder_.empty(); ++attempt) {
    std::uint32_t random = 0;
    if (attempt == kFolderNameAttempts || !sys_.resume->RandomNumber(&random)) {
      return Refuse("no new folder name");
    }
    const std::u16string id = RegistrationId(random);
    const std::u16string folder = JoinedPath(programFiles, kResumeFolderPrefix + id);
    const SysResult<bool> made = sys_.resume->CreateProtectedFolder(folder.c_str());
    if (made.value) {
      folder_ = folder;
      id_ = id;
    } else if (made.error != kErrorAlreadyExists) {
      return Refuse("the folder cannot be made", made.error);
    } else {
      sys_.log.Line({"resume: ", folder, " exists already, another name is taken"});
    }
  }
  return true;
}

// Task Scheduler 2.0 replaces a task of the same name only once the new one is accepted (/f);
// 1.0 has no /f, so a task that exists is pointed at the new copy instead of being deleted first.
std::uint32_t Registration::RegisterTask(TaskScheduler scheduler, const std::u16string& schtasks,
                                         const std::u16string& copy) {
  if (scheduler == TaskScheduler::kVersion2) {
    const std::u16string xmlPath = JoinedPath(folder_, kResumeTaskFileName);
    const SysResult<bool> written = sys_.resume->WriteNewFile(
        xmlPath.c_str(), BuildTaskXml(sys_.resume->NowUtc(), copy, folder_));
    if (!written.value) return written.error;
    return RunProgram(sys_, schtasks, CreateTaskCommand(xmlPath));
  }
  return RunProgram(sys_, schtasks,
                    TaskRegistered(sys_, state_) ? ChangeStartupTaskCommand(copy)
                                                 : CreateStartupTaskCommand(copy));
}

bool Registration::Make(const std::u16string& pluginArgs) {
  ResumeApi& resume = *sys_.resume;
  if (!state_.restartMarked) return Refuse("no restart mark");
  const TaskScheduler scheduler = SchedulerOfThisWindows(sys_);
  if (scheduler == TaskScheduler::kNone) return Refuse("this Windows has no schtasks.exe");
  const std::u16string schtasks = SchtasksPath(sys_, state_, scheduler);
  if (schtasks.empty()) return Refuse("schtasks.exe not found");

  std::u16string programFiles, ownPath, package;
  if (const SysResult<bool> read = resume.ReadProgramFilesFolder(&programFiles); !read.value) {
    return Refuse("Program Files is unreadable", read.error);
  }
  // Without access lists anybody could change the copy that runs as SYSTEM.
  if (const SysResult<bool> acls = resume.KeepsAccessLists(programFiles.c_str()); !acls.value) {
    return Refuse("Program Files keeps no access lists", acls.error);
  }
  if (const SysResult<bool> read = resume.ReadOwnPath(&ownPath); !read.value) {
    return Refuse("its own path is unreadable", read.error);
  }
  const std::u16string pattern =
      PackagePattern(sys_, RunningWindows(sys_, state_.wow64), kPlugin, std::u16string());
  if (const std::uint32_t found = FindPackageFile(sys_, pattern, package); found != 0) {
    return Refuse("no plug-in package", found);
  }
  std::vector<std::u16string> cabinets;
  if (!ReadCabinets(package, &cabinets) || !MakeFolder(programFiles)) return false;

  const std::u16string copy = JoinedPath(folder_, FileNameOf(ownPath));
  if (scheduler == TaskScheduler::kVersion1 && copy.size() + 2 > kMaxTaskRunLength) {
    return Refuse("the copy's path is too long for /tr");
  }
  const std::u16string packageFolder = JoinedPath(folder_, FileNameOf(FolderOf(package)));
  SysResult<bool> step = resume.CopyNewFile(ownPath.c_str(), copy.c_str());
  if (step.value) step = resume.CreateFolder(packageFolder.c_str());
  cabinets.push_back(FileNameOf(package));
  for (const std::u16string& name : cabinets) {
    if (step.value) {
      step = resume.CopyNewFile(JoinedPath(FolderOf(package), name).c_str(),
                                JoinedPath(packageFolder, name).c_str());
    }
  }
  if (step.value) {
    step = resume.WriteNewFile(JoinedPath(folder_, kResumeFileName).c_str(),
                               BuildResumeFile(id_, pluginArgs));
  }
  if (!step.value) return Refuse("the copy failed", step.error);

  if (const std::uint32_t code = RegisterTask(scheduler, schtasks, copy); code != 0) {
    return Refuse("schtasks failed", code);
  }
  complete_ = true;
  const std::u16string unfit = PathsUnfitAtBoot(pluginArgs);
  sys_.log.Line({"resume: registered task ", kResumeTaskName, ", folder ", folder_,
                 unfit.empty() ? u"" : u"; may not work at boot: ", unfit});
  // The task now starts this copy: earlier registrations' folders are left over.
  for (const std::u16string& earlier : ResumeFolders(sys_)) {
    if (earlier == folder_ || resume.ReadFolderTrust(earlier.c_str()) != FolderTrust::kOwn)
      continue;
    RemoveFolderTree(sys_, earlier);
    sys_.log.Line({"resume: earlier folder ", earlier, " removed"});
  }
  return true;
}

}  // namespace

void RegisterResume(const System& sys, SetupState& state, const std::u16string& pluginArgs) {
  Registration registration(sys, state);
  registration.Make(pluginArgs);
}
