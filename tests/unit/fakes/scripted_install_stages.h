#pragma once

#include <string>
#include <vector>

#include "actions/install_stages.h"
#include "actions/setup_state.h"
#include "fakes/fake_kernel.h"

// Installation stages that return scripted results, record every call with its arguments and
// log it in the kernel's event log. The plug-in stage can set the pending-restart flag the way
// the real one does after a removal that asked for a restart.
class ScriptedInstallStages : public InstallStages {
 public:
  struct ProviderCall {
    bool silent = false;
    std::u16string cspArgs;
    std::u16string ucspArgs;
  };
  struct PluginCall {
    std::u16string pluginArgs;
    bool silent = false;
  };

  ScriptedInstallStages(FakeKernel& kernel, SetupState& state) : kernel_(kernel), state_(state) {}

  std::uint32_t providerResult = 0;
  std::uint32_t pluginResult = 0;
  std::vector<std::uint32_t> pluginResults;  // one per call while they last, then pluginResult
  bool pluginSetsRestartPending = false;
  bool pluginMarksRestart = true;  // with the above: the volatile mark could be made
  bool pluginPostpones = false;    // the users of the programs that hold it postponed it

  std::vector<ProviderCall> providerCalls;
  std::vector<PluginCall> pluginCalls;
  bool pluginNeedsNoRestartSeen = false;  // the plug-in stage saw no provider restart pending

  std::uint32_t InstallProviders(const Prompts& prompts) override {
    providerCalls.push_back({prompts.Silent(), state_.options.cspArgs, state_.options.ucspArgs});
    kernel_.Log("InstallProviders");
    return providerResult;
  }
  std::uint32_t InstallPlugin(std::u16string pluginArgs, const Prompts& prompts) override {
    pluginCalls.push_back({pluginArgs, prompts.Silent()});
    kernel_.Log("InstallPlugin");
    if (pluginSetsRestartPending) state_.restartPending = true;
    state_.restartMarked = pluginSetsRestartPending && pluginMarksRestart;
    state_.postponed = pluginPostpones;
    pluginNeedsNoRestartSeen = !state_.providersNeedRestart;
    const std::size_t call = pluginCalls.size() - 1;
    return call < pluginResults.size() ? pluginResults[call] : pluginResult;
  }

 private:
  FakeKernel& kernel_;
  SetupState& state_;
};
