#include "setup/resumed_run.h"

#include "common/exit_codes.h"
#include "common/number_text.h"
#include "log/log_lines.h"
#include "setup/resume_copy.h"
#include "setup/resume_task.h"
#include "setup/setup_driver.h"

namespace {

constexpr std::uint32_t kErrorFileNotFound = 2;  // ERROR_FILE_NOT_FOUND
constexpr std::uint32_t kErrorInvalidData = 13;  // ERROR_INVALID_DATA

bool SameTextNoCase(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// The plug-in stage, tried again while another installation holds the Windows Installer.
class RetryWhileInstallerBusy : public InstallStages {
 public:
  RetryWhileInstallerBusy(const System& sys, InstallStages& stages) : sys_(sys), stages_(stages) {}
  std::uint32_t InstallProviders(bool silent, std::u16string cspArgs,
                                 std::u16string ucspArgs) override {
    return stages_.InstallProviders(silent, std::move(cspArgs), std::move(ucspArgs));
  }
  std::uint32_t InstallPlugin(std::u16string pluginArgs, bool silent) override {
    for (int retry = 0;; ++retry) {
      const std::uint32_t result = stages_.InstallPlugin(pluginArgs, silent);
      if (result != kResultInstallInProgress || retry == kBusyRetries) return result;
      sys_.log.Line({"resumed run: another installation is in progress (1618); trying again in ",
                     DecimalText(kBusyRetryMs / 1000), " s"});
      sys_.resume->Wait(kBusyRetryMs);
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
  const std::size_t slash = own.rfind(u'\\');
  if (slash == std::u16string::npos) return launch;
  const std::u16string folder = own.substr(0, slash);
  const std::size_t parentEnd = folder.rfind(u'\\');
  if (parentEnd == std::u16string::npos) return launch;
  const std::u16string name = folder.substr(parentEnd + 1);
  const std::u16string prefix = kResumeFolderPrefix;
  if (!SameTextNoCase(name.substr(0, prefix.size()), prefix)) return launch;
  if (!resume.ReadProgramFilesFolder(&programFiles).value ||
      !SameTextNoCase(folder.substr(0, parentEnd), programFiles) ||
      resume.ReadFolderTrust(folder.c_str()) != FolderTrust::kOwn) {
    return launch;
  }
  std::string bytes;
  const std::u16string file = folder + u"\\" + kResumeFileName;
  const SysResult<bool> read = resume.ReadWholeFile(file.c_str(), &bytes);
  if (!read.value && read.error == kErrorFileNotFound)
    return launch;  // the resumed run has been: a plain run
  launch.resumed = true;
  launch.folder = folder;
  launch.readable = read.value && ParseResumeFile(bytes, &launch.id, &launch.pluginArgs);
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
  sys.log.Line({"resumed run: registration ", launch.id, ", folder ", launch.folder});
  if (!launch.readable) {
    sys.log.Line({"resumed run: the resume file is unreadable; nothing is installed"});
    RemoveTaskAndCopy(sys, state, launch.folder);
    return kErrorInvalidData;
  }
  // The mark goes only with a restart; a mark that cannot be read is not taken for gone.
  std::u16string mark;
  if (const SysResult<bool> read = sys.resume->ReadVolatileMark(&mark);
      read.value || read.error != kErrorFileNotFound) {
    sys.log.Line({"resumed run: Windows has not restarted since the registration (mark ",
                  read.value ? mark : u"unreadable, error " + DecimalText(read.error),
                  "); nothing is done, the task stays for the next start"});
    return 0;
  }
  std::uint32_t result = 0;
  if (const SysResult<bool> moved = sys.resume->SetCurrentFolder(launch.folder.c_str());
      !moved.value) {
    sys.log.Line(
        {"resumed run: its folder cannot be made current, error ", DecimalText(moved.error)});
    result = moved.error;
  } else {
    RetryWhileInstallerBusy retrying(sys, stages);
    result = RunSetup(sys, retrying, state, ResumedCommandLine(launch));
  }
  RemoveTaskAndCopy(sys, state, launch.folder);
  sys.log.Line({"resumed run: done; the task and the copy are removed"});
  return result;
}
