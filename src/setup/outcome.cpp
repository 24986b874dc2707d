#include "setup/outcome.h"

#include "ui/string_ids.h"

std::uint16_t ChooseQuestion(const SetupOptions& options) {
  if (options.installCsp && options.installUcsp) return kStrAskBoth;
  if (options.installCsp) return kStrAskCsp;
  if (options.installUcsp) return kStrAskUcsp;
  return kStrAskPlugin;
}

// A pending restart means the older plug-in was removed, the removal asked for a restart and
// the new plug-in was not installed (its result is then 0). The provider messages would
// report the plug-in as installed, so every run, with or without providers, then shows the
// message that asks for the restart and a second run. It also covers a provider result of
// 3010: the same restart completes the provider installation. A plug-in result of 3010 means
// the plug-in itself was installed, and the usual restart message applies.
Outcome ChooseOutcome(const SetupOptions& options, bool restartPending,
                      std::uint32_t providerResult, std::uint32_t pluginResult) {
  if (restartPending && pluginResult != kResultRestartRequired) {
    return {kStrRestartBeforePlugin, true};
  }
  const bool restartNeeded =
      providerResult == kResultRestartRequired || pluginResult == kResultRestartRequired;
  if (options.installCsp && options.installUcsp) {
    return restartNeeded ? Outcome{kStrDoneBothRestart, true} : Outcome{kStrDoneBoth, false};
  }
  if (options.installCsp) {
    return restartNeeded ? Outcome{kStrDoneCspRestart, true} : Outcome{kStrDoneCsp, false};
  }
  if (options.installUcsp) {
    return restartNeeded ? Outcome{kStrDoneUcspRestart, true} : Outcome{kStrDoneUcsp, false};
  }
  return restartNeeded ? Outcome{kStrDonePluginRestart, true} : Outcome{kStrDonePlugin, false};
}
