#pragma once

#include "actions/install_stages.h"
#include "actions/setup_state.h"
#include "system/system.h"

// The installation stages of the real run.
class CoreInstallStages : public InstallStages {
 public:
  CoreInstallStages(const System& sys, SetupState& state) : sys_(sys), state_(state) {}
  std::uint32_t InstallProviders(const Prompts& prompts) override;
  std::uint32_t InstallPlugin(std::u16string pluginArgs, const Prompts& prompts) override;

 private:
  const System& sys_;
  SetupState& state_;
};
