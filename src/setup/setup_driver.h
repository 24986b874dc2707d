#pragma once

#include <cstdint>
#include <string>

#include "setup/install_stages.h"
#include "setup/setup_state.h"
#include "system/system.h"

// The whole run: options, checks, question, stages, outcome, restart. Returns the exit code.
std::uint32_t RunSetup(const System& sys, InstallStages& stages, SetupState& state,
                       const std::u16string& commandLineText);
