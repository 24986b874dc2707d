#pragma once

#include <cstdint>
#include <string>

#include "actions/setup_state.h"
#include "system/system.h"
#include "ui/prompts.h"

// Installs, replaces or completes the browser plug-in. May set state.restartPending.
std::uint32_t InstallPlugin(const System& sys, SetupState& state, std::u16string pluginArgs,
                            const Prompts& prompts);
