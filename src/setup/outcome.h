#pragma once

#include <cstdint>

#include "actions/setup_options.h"
#include "common/exit_codes.h"

// Whether the options ask for a provider besides the plug-in.
bool AsksForProviders(const SetupOptions& options);

// The confirmation question for the provider flags.
std::uint16_t ChooseQuestion(const SetupOptions& options);

// The progress window's title: that of the first provider step asked for that has one, else
// the plug-in's.
std::uint16_t ChooseProgressTitle(const SetupOptions& options);

// The closing message of a run whose stages all succeeded, and whether it offers a restart.
struct Outcome {
  std::uint16_t textId = 0;
  bool offersRestart = false;
};
Outcome ChooseOutcome(const SetupOptions& options, bool restartPending,
                      std::uint32_t providerResult, std::uint32_t pluginResult);
