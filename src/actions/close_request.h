#pragma once

// Before the installed plug-in is removed: which programs hold its files, and, where the
// administrator asks for it (-askclose), asking their users to close them now or to postpone
// the upgrade.

#include <string>
#include <vector>

#include "actions/setup_state.h"
#include "system/system.h"

enum class CloseVerdict {
  kGoOn,      // remove the plug-in now
  kPostpone,  // remove nothing: the run ends with 1618 and the upgrade is offered again later
};

// Logs the processes that hold `files` (the installed plug-in's); with -askclose asks the
// users of the sessions that hold them, as the options and the kept postponement of
// `targetVersion` allow. Asks nothing in a resumed run or where a provider needs the restart.
CloseVerdict AskToCloseHolders(const System& sys, const SetupState& state,
                               const std::vector<std::u16string>& files,
                               const std::u16string& targetVersion);
