#pragma once

#include <cstdint>
#include <string>

#include "actions/setup_state.h"
#include "system/system.h"
#include "ui/prompts.h"

// Installs or upgrades the CSP and the ZAZ CSP as the options ask, each with its msiexec
// arguments from the options.
std::uint32_t InstallProviders(const System& sys, SetupState& state, const Prompts& prompts);
