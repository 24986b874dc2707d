#pragma once

#include <cstdint>

#include "actions/setup_options.h"
#include "system/handles.h"

// The looked-up IsWow64Process and what the launcher learnt of the machine, shared by the
// provider and the plug-in installation.
struct Wow64Cache {
  enum class State { kNotLookedUp, kMissing, kPresent };
  State state = State::kNotLookedUp;
  ProcAddress function = 0;
  std::uint16_t native = 0;  // IsWow64Process2's native machine; 0: not known
  std::int8_t runsX64 =
      -1;  // x64 programs run, where the kind of Windows depends on it; -1: unread
};

// What lives for the whole process: the options, what the plug-in stage found, the WOW64 cache.
struct SetupState {
  SetupOptions options;
  bool restartPending = false;
  // With restartPending: the plug-in was not installed because a file of the plug-in that an
  // earlier run removed goes at the restart; that run's resume stays as it is.
  bool earlierRemovalPending = false;
  // With restartPending: the volatile mark of this run's removal was made. Without it a resumed
  // run could not tell the restart from a start by hand, so no resume is registered.
  bool restartMarked = false;
  // This run finishes an earlier run's upgrade after the restart: it registers nothing.
  bool resumed = false;
  // A provider installed by this run needs a restart: the plug-in's upgrade is not postponed.
  bool providersNeedRestart = false;
  // The users of the programs that hold the installed plug-in postponed its upgrade: nothing
  // was removed, and the run ends with 1618.
  bool postponed = false;
  Wow64Cache wow64;
};
