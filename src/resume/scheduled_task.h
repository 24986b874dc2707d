#pragma once

// The resume's task, through the schtasks.exe of the Windows the launcher runs on.

#include <cstdint>
#include <string>

#include "actions/setup_state.h"
#include "resume/resume_task.h"
#include "system/system.h"

// Which schtasks.exe this Windows has.
TaskScheduler SchedulerOfThisWindows(const System& sys);

// schtasks.exe by full path: the 64-bit one through Sysnative under WOW64 on Vista and later
// (a 32-bit process's System32 is SysWOW64); empty when it is not there.
std::u16string SchtasksPath(const System& sys, SetupState& state, TaskScheduler scheduler);

// Whether the task is registered: on Task Scheduler 1.0 its .job file exists (schtasks /query
// there names no task and answers in the system's language), on 2.0 schtasks /query /tn
// answers 0.
bool TaskRegistered(const System& sys, SetupState& state);

// Deletes the task; schtasks' exit code, or 2 without a schtasks.exe.
std::uint32_t DeleteTask(const System& sys, SetupState& state);
