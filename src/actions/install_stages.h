#pragma once

#include <cstdint>
#include <string>

// The two installation stages as the driver sees them.
class InstallStages {
 public:
  virtual ~InstallStages() = default;
  virtual std::uint32_t InstallProviders(bool silent, std::u16string cspArgs,
                                         std::u16string ucspArgs) = 0;
  virtual std::uint32_t InstallPlugin(std::u16string pluginArgs, bool silent) = 0;
};
