#pragma once

#include <cstdint>
#include <string>

#include "actions/setup_state.h"
#include "system/system.h"

// Installs or upgrades the CSP and the ZAZ CSP as the options ask; results are OR-ed.
std::uint32_t InstallProviders(const System& sys, SetupState& state, bool silent,
                               std::u16string cspArgs, std::u16string ucspArgs);
