#pragma once

#include <cstdint>
#include <string>

// The two installation stages as the driver sees them.
class InstallStages {
 public:
  virtual ~InstallStages() = default;
  // The providers the run's options ask for, each with its msiexec arguments from the options.
  virtual std::uint32_t InstallProviders(bool silent) = 0;
  virtual std::uint32_t InstallPlugin(std::u16string pluginArgs, bool silent) = 0;
};
