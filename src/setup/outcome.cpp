// The confirmation question and the closing message, one row per set of products asked for.

#include "setup/outcome.h"

#include <cstddef>
#include <iterator>

#include "actions/provider_steps.h"
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
static_assert(std::size(kProviderTexts) == 1u << std::size(kProviderSteps),
              "one row of texts per set of provider steps");

// The provider steps the options ask for, one bit each: bit i for kProviderSteps[i].
unsigned ProviderSet(const SetupOptions& options) {
  unsigned set = 0;
  for (std::size_t i = 0; i < std::size(kProviderSteps); ++i) {
    if (options.*kProviderSteps[i].asked) set |= 1u << i;
  }
  return set;
}

}  // namespace

bool AsksForProviders(const SetupOptions& options) {
  return ProviderSet(options) != 0;
}

std::uint16_t ChooseQuestion(const SetupOptions& options) {
  return kProviderTexts[ProviderSet(options)].question;
}

std::uint16_t ChooseProgressTitle(const SetupOptions& options) {
  for (const ProviderStep& step : kProviderSteps) {
    if (options.*step.asked && step.progressTitle != 0) return step.progressTitle;
  }
  return kStrProgressPlugin;
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
