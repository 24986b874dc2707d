// The confirmation question and the closing message, one row per set of products asked for.

#include "setup/outcome.h"

#include "ui/string_ids.h"

namespace {

// The texts of one set of providers asked for: the question, and the closing message without
// and with the restart offer.
struct ProviderTexts {
  std::uint16_t question;
  std::uint16_t done;
  std::uint16_t doneRestart;
};

// Indexed by ProviderSet: the plug-in alone, with the CSP, with the ZAZ CSP, with both.
constexpr ProviderTexts kProviderTexts[] = {
    {kStrAskPlugin, kStrDonePlugin, kStrDonePluginRestart},
    {kStrAskCsp, kStrDoneCsp, kStrDoneCspRestart},
    {kStrAskUcsp, kStrDoneUcsp, kStrDoneUcspRestart},
    {kStrAskBoth, kStrDoneBoth, kStrDoneBothRestart},
};

// The providers the options ask for, one bit each: 1 the CSP, 2 the ZAZ CSP.
unsigned ProviderSet(const SetupOptions& options) {
  return (options.installCsp ? 1u : 0u) | (options.installUcsp ? 2u : 0u);
}

}  // namespace

bool AsksForProviders(const SetupOptions& options) {
  return ProviderSet(options) != 0;
}

std::uint16_t ChooseQuestion(const SetupOptions& options) {
  return kProviderTexts[ProviderSet(options)].question;
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
  const ProviderTexts& texts = kProviderTexts[ProviderSet(options)];
  return restartNeeded ? Outcome{texts.doneRestart, true} : Outcome{texts.done, false};
}
