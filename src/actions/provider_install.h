#pragma once

#include <cstdint>
#include <string>

#include "actions/setup_state.h"
#include "system/system.h"
#include "ui/prompts.h"

// Installs or upgrades the providers of kProviderSteps that the options ask for, each with its
// msiexec arguments from the options.
std::uint32_t InstallProviders(const System& sys, SetupState& state, const Prompts& prompts);
