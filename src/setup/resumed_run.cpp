#include "setup/resumed_run.h"

#include "common/ascii_text.h"
#include "common/exit_codes.h"
#include "common/number_text.h"
#include "common/path_text.h"
#include "common/win_errors.h"
#include "log/log_lines.h"
#include "resume/resume_cleanup.h"
#include "resume/resume_task.h"
#include "resume/scheduled_task.h"
#include "setup/setup_driver.h"

namespace {

// The plug-in stage, tried again while another installation holds the Windows Installer.
class RetryWhileInstallerBusy : public InstallStages {
 public:
  RetryWhileInstallerBusy(const System& sys, InstallStages& stages) : sys_(sys), stages_(stages) {}
  // A resumed run installs the plug-in only: the providers were done before the restart.
  std::uint32_t InstallProviders(const Prompts&) override { return 0; }
  std::uint32_t InstallPlugin(std::u16string pluginArgs, const Prompts& prompts) override {
    for (int retry = 0;; ++retry) {
      const std::uint32_t result = stages_.InstallPlugin(pluginArgs, prompts);
      if (result != kResultInstallInProgress || retry == kBusyRetries) return result;
      sys_.log.Line({"resumed run: the installer is busy (1618), trying again in 30 s"});
      sys_.platform.Wait(kBusyRetryMs);
    }
  }

 private:
  const System& sys_;
  InstallStages& stages_;
};

}  // namespace

ResumeLaunch DetectResumeLaunch(ResumeApi& resume) {
  ResumeLaunch launch;
  std::u16string own, programFiles;
  if (!resume.ReadOwnPath(&own).value) return launch;
  const std::u16string folder = FolderOf(own);
  if (!StartsWithNoCase(FileNameOf(folder), kResumeFolderPrefix) ||
      !resume.ReadProgramFilesFolder(&programFiles).value ||
      !SamePath(FolderOf(folder), programFiles)) {
    return launch;
  }
  launch.folder = folder;
  launch.trust = resume.ReadFolderTrust(folder.c_str());
  std::u16string text;
  const SysResult<bool> read =
      resume.ReadWholeFile(JoinedPath(folder, kResumeFileName).c_str(), &text);
  // The launcher's own folder without a resume file: a plain run of the copy.
  if (launch.trust == FolderTrust::kOwn && !read.value && read.error == kErrorFileNotFound) {
    return launch;
  }
  launch.resumed = true;
  launch.readable = read.value && ParseResumeFile(text, &launch.id, &launch.pluginArgs);
  return launch;
}

CommandLine ResumedCommandLine(const ResumeLaunch& launch) {
  CommandLine commandLine;
  commandLine.options.silent = true;
  commandLine.options.noRestart = true;
  commandLine.options.pluginArgs = launch.pluginArgs;
  return commandLine;
}

std::uint32_t RunResumed(const System& sys, InstallStages& stages, SetupState& state,
                         const ResumeLaunch& launch) {
  state.resumed = true;
  if (launch.trust != FolderTrust::kOwn) {
    // Anybody may have put or changed this copy: it must not run as SYSTEM at every start.
    static const char16_t* const kWhy[] = {u"", u"another owner or access list",
                                           u"a junction or link", u"its security is unreadable"};
    sys.log.Line({"resumed run: ", launch.folder, " is not the launcher's own (",
                  kWhy[static_cast<int>(launch.trust)],
                  "): setup does not run; the task is deleted"});
    DeleteTask(sys, state);
    return kErrorAccessDenied;
  }
  sys.log.Line({"resumed run: registration ", launch.id, ", folder ", launch.folder});
  // The mark goes only with a restart; a mark that cannot be read is not taken for gone.
  std::vector<std::u16string> mark;
  const SysResult<bool> marked = sys.resume->ReadVolatileMark(&mark);
  if (marked.value || marked.error != kErrorFileNotFound) {
    sys.log.Line({"resumed run: no restart since the registration; the task stays"});
    return 0;
  }
  std::uint32_t result = kErrorInvalidData;
  if (!launch.readable) {
    sys.log.Line({"resumed run: the resume file is unreadable"});
  } else if (const SysResult<bool> moved = sys.resume->SetCurrentFolder(launch.folder.c_str());
             !moved.value) {
    result = moved.error;
  } else {
    RetryWhileInstallerBusy retrying(sys, stages);
    result = RunSetup(sys, retrying, state, ResumedCommandLine(launch));
  }
  RemoveTaskAndCopy(sys, state, launch.folder);
  sys.log.Line({"resumed run: the task and the copy are removed"});
  return result;
}
