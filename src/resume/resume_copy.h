#pragma once

#include <string>

#include "actions/setup_state.h"
#include "system/system.h"

// The local copy that finishes a plug-in upgrade after the restart, and its startup task: made
// by the run whose removal of the old plug-in needs a restart, used and removed by the resumed
// run, and removed as a leftover by a later run that finds the plug-in up to date.

// Registers the resume: a new protected folder under Program Files holding a copy of this
// program, the plug-in package the install pattern finds now and the resume file with
// `pluginArgs`; a volatile mark; a boot task. Anything that cannot be made safely means no
// resume: what was made is removed again and the log says why. The run goes on as it would.
void RegisterResume(const System& sys, SetupState& state, const std::u16string& pluginArgs);

// Removes resume folders that are left over (the launcher's own only, never through a reparse
// point) and, where one was still registered, the task and the mark. Starts no child process
// when nothing is left over.
void RemoveLeftoverResume(const System& sys, SetupState& state);

// Deletes the task, then the folder's files and folders; what is in use (the running copy)
// and the folder itself go at the next restart.
void RemoveTaskAndCopy(const System& sys, SetupState& state, const std::u16string& folder);
