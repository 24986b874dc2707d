#pragma once

// Removing resumes: those left over once the plug-in is installed, the one a resumed run has
// finished, and every pending one when the administrator cancels. The volatile mark of the
// removal stays in every case: only the restart ends it.

#include <cstdint>
#include <string>

#include "actions/setup_state.h"
#include "system/system.h"

// Removes the resume folders that are the launcher's own (never through a reparse point) and,
// where one still held its resume file, the task. Starts no child process when there are none.
void RemoveLeftoverResume(const System& sys, SetupState& state);

// Deletes the task, then the folder's files and folders; what is in use (the running copy)
// and the folder itself go at the next restart.
void RemoveTaskAndCopy(const System& sys, SetupState& state, const std::u16string& folder);

// -cancelresume: deletes the task when one is registered and removes every resume folder that
// is the launcher's own, each step logged, and any other such folder named. 0, or the code of
// the step that failed (schtasks' exit code, or a folder's removal error).
std::uint32_t CancelResume(const System& sys, SetupState& state);
