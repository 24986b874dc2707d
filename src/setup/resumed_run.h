#pragma once

#include <cstdint>
#include <string>

#include "actions/install_stages.h"
#include "actions/setup_state.h"
#include "setup/command_line.h"
#include "system/system.h"

// The run of the local copy that a startup task starts after the restart, to finish a plug-in
// upgrade whose removal needed the restart.

// What the program learns of itself at start: whether it is such a copy.
struct ResumeLaunch {
  // Its own folder is a resume folder: directly under Program Files, named with the prefix, and
  // either not the launcher's own or holding a resume file.
  bool resumed = false;
  FolderTrust trust = FolderTrust::kUnreadable;  // of that folder
  bool readable = false;                         // the resume file could be read
  std::u16string folder;
  std::u16string id;
  std::u16string pluginArgs;
};

// Tells from where the program sits whether it is a resumed copy: its folder, directly under
// the 32-bit Program Files folder, has the resume prefix, and is not the launcher's own (owner
// and access list) or holds the resume file. A program anywhere else costs one path read.
ResumeLaunch DetectResumeLaunch(ResumeApi& resume);

// The command line a resumed run acts on: -silent -norestart with the saved plug-in arguments.
CommandLine ResumedCommandLine(const ResumeLaunch& launch);

// Another installation holding the Windows Installer at start-up: tried again every 30 s for
// up to 15 minutes, well within the task's time limit.
inline constexpr std::uint32_t kBusyRetryMs = 30000;
inline constexpr int kBusyRetries = 30;

// The resumed run. A copy whose folder is not the launcher's own runs nothing: it deletes the
// task and ends with ERROR_ACCESS_DENIED. Without a restart since the removal (the mark is still
// there) it does nothing and the task stays for the next start. Otherwise it runs the setup,
// plug-in only, in its own folder, which installs the copy's package when no plug-in is
// installed and leaves any installed one alone; it never restarts Windows, and then removes the
// task and the copy whatever the result. Returns the exit code.
std::uint32_t RunResumed(const System& sys, InstallStages& stages, SetupState& state,
                         const ResumeLaunch& launch);
