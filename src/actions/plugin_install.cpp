#include "actions/plugin_install.h"

#include "actions/architecture.h"
#include "actions/close_request.h"
#include "actions/package_install.h"
#include "actions/pending_removal.h"
#include "actions/postponement.h"
#include "actions/process_runner.h"
#include "common/exit_codes.h"
#include "common/product_catalogue.h"
#include "installer/installed_files.h"
#include "installer/installer_access.h"
#include "installer/upgrade_decision.h"
#include "log/log_lines.h"

namespace {

std::uint32_t InstallOrUpgrade(const System& sys, SetupState& state,
                               const std::u16string& pluginArgs, const Prompts& prompts) {
  const std::u16string pattern =
      PackagePattern(sys, RunningWindows(sys, state.wow64), kPlugin, std::u16string());

  const int productState = sys.installer.QueryProductState(kPluginProductCode);
  LogProductState(sys.log, kPlugin.name, kPluginProductCode, productState);
  if (productState == kInstallStateUnknown) {
    // Before the restart that an earlier removal waits for, a file of the old plug-in may
    // still be deleted at the next start, and with it the new plug-in's file of that path.
    if (sys.resume != nullptr && !state.resumed && RemovedFilesPendingAtRestart(sys)) {
      sys.log.Line(
          {"plug-in: a file of the removed plug-in goes at the restart; the new "
           "package is left for then"});
      state.restartPending = state.earlierRemovalPending = true;
      return 0;
    }
    sys.log.Line({"plug-in: not installed, first installation"});
    return InstallPackage(sys, kPluginProductCode, pattern, pluginArgs, prompts);
  }

  // The run after the restart finishes only what its registration started: whatever plug-in
  // was installed meanwhile is left as it is.
  if (state.resumed) {
    std::u16string version;
    if (ReadProductInfo(sys.installer, kPluginProductCode, u"VersionString", version) != 0) {
      version = u"unreadable";
    }
    sys.log.Line({"resumed run: the plug-in is installed already (state ", SignedText(productState),
                  ", version ", version, "): left alone"});
    return 0;
  }

  int versionOrder = 0;
  std::u16string offeredVersion;
  const std::uint32_t decision =
      DecideUpgrade(sys, prompts, kPlugin, versionOrder, nullptr, &offeredVersion);
  if (decision != 0) return decision;

  if (versionOrder == 1) {
    // A newer package replaces the installed plug-in: remove it first.
    sys.log.Line({"plug-in: newer package, the installed version is removed first"});
    // Read while the cached package is there: what the removal may leave to the restart.
    const std::vector<std::u16string> files = ReadInstalledFiles(sys, kPlugin);
    if (AskToCloseHolders(sys, state, files, offeredVersion) == CloseVerdict::kPostpone) {
      state.postponed = true;
      return kResultInstallInProgress;
    }
    const std::uint32_t removal =
        RunProcess(sys, std::u16string(u"msiexec /qn /x ") + kPluginProductCode + u" REBOOT=R");
    if (removal == 0) return InstallPackage(sys, kPluginProductCode, pattern, pluginArgs, prompts);
    if (removal == kResultRestartRequired) {
      state.restartPending = true;  // the new package goes in after the restart
      sys.log.Line({"plug-in: the removal needs a restart; the new package is left for then"});
      if (sys.resume != nullptr) state.restartMarked = MarkRemovalAwaitingRestart(sys, files);
      return 0;
    }
    return removal;
  }

  // Same or older package: only a missing browser feature is added.
  const int feature = sys.installer.QueryFeatureState(kPluginProductCode, u"VIVAZED");
  sys.log.Line({"plug-in: package not newer, feature VIVAZED state ", SignedText(feature)});
  if (feature == kInstallStateAbsent) {
    sys.log.Line({"plug-in: the missing feature is added"});
    return InstallPackage(sys, kPluginProductCode, pattern, pluginArgs + u" ADDLOCAL=VIVAZED",
                          prompts);
  }
  return 0;
}

}  // namespace

std::uint32_t InstallPlugin(const System& sys, SetupState& state, std::u16string pluginArgs,
                            const Prompts& prompts) {
  const std::uint32_t result = InstallOrUpgrade(sys, state, pluginArgs, prompts);
  // The upgrade a postponement waited for is done, or was done otherwise.
  if (!IsInstallFailure(result) && !state.restartPending) ForgetPostponement(sys);
  return result;
}
