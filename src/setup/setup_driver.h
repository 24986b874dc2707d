#pragma once

#include <cstdint>

#include "actions/install_stages.h"
#include "actions/setup_state.h"
#include "setup/command_line.h"
#include "system/system.h"

// The whole run: the command line read at start (logged; the help when it asks for it), checks,
// question, stages, outcome, restart. Returns the exit code.
std::uint32_t RunSetup(const System& sys, InstallStages& stages, SetupState& state,
                       const CommandLine& commandLine);
