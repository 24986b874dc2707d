#pragma once

#include <cstdint>
#include <string>

#include "ui/prompts.h"

// The two installation stages as the driver sees them.
class InstallStages {
 public:
  virtual ~InstallStages() = default;
  // The providers the run's options ask for, each with its msiexec arguments from the options.
  virtual std::uint32_t InstallProviders(const Prompts& prompts) = 0;
  virtual std::uint32_t InstallPlugin(std::u16string pluginArgs, const Prompts& prompts) = 0;
};
