#include "win32/unattended_run.h"

#include <windows.h>

#include <cstdlib>

namespace {

// Set once at start, read on the failure path (possibly from the progress thread).
volatile InternalFailureHook failureHook = nullptr;
volatile LONG unattended = 0;

}  // namespace

void SetInternalFailureHook(InternalFailureHook hook) {
  failureHook = hook;
}

// GetErrorMode came only with Vista: the mode is read as the one SetErrorMode replaces.
void FailCriticalErrors() {
  SetErrorMode(SetErrorMode(SEM_FAILCRITICALERRORS) | SEM_FAILCRITICALERRORS);
}

void EnterUnattendedMode() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  InterlockedExchange(&unattended, 1);
}

bool InUnattendedMode() {
  return InterlockedCompareExchange(&unattended, 0, 0) != 0;
}

void EndOnInternalFailure() {
  if (const InternalFailureHook hook = failureHook; hook != nullptr) hook();
  if (InUnattendedMode()) {
    // Ends here and now: no atexit handler, static destructor or DLL detach code runs, which
    // might allocate again or show something.
    TerminateProcess(GetCurrentProcess(), kExitInternalFailure);
    // Never abort() here: its box is what this path exists to avoid.
    ExitProcess(kExitInternalFailure);
  }
  std::abort();
}
