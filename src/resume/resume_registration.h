#pragma once

// Registering the resume that finishes a plug-in upgrade after the restart: made by the run
// whose removal of the old plug-in needs the restart.

#include <string>

#include "actions/setup_state.h"
#include "system/system.h"

// A new protected folder under Program Files holding a copy of this program, the plug-in
// package the install pattern finds now with its external cabinets, and the resume file with
// `pluginArgs`; then a boot task. Anything that cannot be made safely means no resume: what
// was made is removed again, an earlier registration stays whole, and the log says why. Once
// complete, the folders of earlier registrations go. The run goes on as it would.
void RegisterResume(const System& sys, SetupState& state, const std::u16string& pluginArgs);
