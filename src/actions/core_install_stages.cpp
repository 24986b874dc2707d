#include "actions/core_install_stages.h"

#include "actions/plugin_install.h"
#include "actions/provider_install.h"

std::uint32_t CoreInstallStages::InstallProviders(const Prompts& prompts) {
  return ::InstallProviders(sys_, state_, prompts);
}

std::uint32_t CoreInstallStages::InstallPlugin(std::u16string pluginArgs, const Prompts& prompts) {
  return ::InstallPlugin(sys_, state_, std::move(pluginArgs), prompts);
}
