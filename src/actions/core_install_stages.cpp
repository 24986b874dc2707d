#include "actions/core_install_stages.h"

#include "actions/plugin_install.h"

namespace {
constexpr std::uint32_t kErrorCallNotImplemented = 120;
}

// Not built yet: reported by the driver as the failure it is.
std::uint32_t CoreInstallStages::InstallProviders(bool, std::u16string, std::u16string) {
  return kErrorCallNotImplemented;
}

std::uint32_t CoreInstallStages::InstallPlugin(std::u16string pluginArgs, bool silent) {
  return ::InstallPlugin(sys_, state_, std::move(pluginArgs), silent);
}
