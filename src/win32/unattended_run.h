#pragma once

#include <cstdint>

#include "common/exit_codes.h"

// Called first when the process ends on an internal failure, for a last line in the run log.
// It runs where the heap may already have failed: it must not allocate, and it must return.
using InternalFailureHook = void (*)();
void SetInternalFailureHook(InternalFailureHook hook);

// For every run, first thing: Windows shows no critical-error box (a drive without its disk)
// for this process, which gets the error instead; the other bits that the parent handed down
// stay as they were.
void FailCriticalErrors();

// For a run that nobody watches (-silent): Windows shows no critical-error, missing-file or
// crash box for this process or the children, which inherit the error mode; and an internal
// failure ends the process with kExitInternalFailure instead of through abort(), whose Windows
// msvcrt shows an "abnormal program termination" box for a GUI program first.
void EnterUnattendedMode();

// Whether EnterUnattendedMode was called.
bool InUnattendedMode();

// The end of the process on an internal failure: the hook, then kExitInternalFailure in an
// unattended run (TerminateProcess, or ExitProcess should that return), abort() otherwise.
[[noreturn]] void EndOnInternalFailure();
