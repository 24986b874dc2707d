#include "actions/core_install_stages.h"

#include "actions/plugin_install.h"
#include "actions/provider_install.h"

std::uint32_t CoreInstallStages::InstallProviders(bool silent) {
  return ::InstallProviders(sys_, state_, silent);
}

std::uint32_t CoreInstallStages::InstallPlugin(std::u16string pluginArgs, bool silent) {
  return ::InstallPlugin(sys_, state_, std::move(pluginArgs), silent);
}
