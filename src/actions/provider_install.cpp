#include "actions/provider_install.h"

#include "actions/architecture.h"
#include "actions/package_install.h"
#include "actions/process_runner.h"
#include "actions/root_certificates.h"
#include "common/exit_codes.h"
#include "common/product_catalogue.h"
#include "installer/carry_over.h"
#include "installer/upgrade_decision.h"
#include "log/log_lines.h"
#include "ui/localized_strings.h"
#include "ui/string_ids.h"

namespace {

constexpr char16_t kUpgradeProperties[] = u"REINSTALL=ALL REINSTALLMODE=vomus";
// The import command lines up to the file they hand over.
constexpr char16_t kRegistryImport[] = u"regedit /s ";
constexpr char16_t kAclImport[] = u"regini ";

// Adds a step's result to the sequence's: the first failure, in the order the steps ran, stays;
// a restart request stands where nothing failed. (A bitwise OR would hide a failure whose bits
// 3010 holds, 3010 | 2 = 3010, and make up codes such as 1603 | 3010 = 4035.)
void AddStepResult(std::uint32_t& sequence, std::uint32_t step) {
  if (!IsInstallFailure(sequence) && step != kResultSuccess) sequence = step;
}

// Ends the provider sequence early with `result`.
struct EarlyEnd {
  bool ends = false;
  std::uint32_t result = 0;
};

bool IsInstalled(const System& sys, const Product& product) {
  const int state = sys.installer.QueryProductState(product.code);
  LogProductState(sys.log, product.name, product.code, state);
  return state == kInstallStateDefault;
}

// The CSP: installed as chosen when the configuration was selected, else upgraded in place,
// taken over from the second product code, or installed fresh. Sets `result` to the
// installation's result (0 when nothing is installed).
EarlyEnd InstallCsp(const System& sys, const SetupOptions& options, bool silent,
                    const std::u16string& suffix, const std::u16string& cspArgs,
                    std::uint32_t& result) {
  std::u16string pattern =
      kCsp.packagePrefix + suffix + options.kcPattern + options.langPattern + u" ";
  if (options.selectConfig) {
    sys.log.Line({"CSP: configuration chosen, installed as chosen"});
    result = InstallPackage(sys, kCspProductCode, pattern, cspArgs, silent);
    return {};
  }
  if (IsInstalled(sys, kCsp)) {
    int versionOrder = 1;
    int minimumOrder = -1;
    const std::uint32_t decision = DecideUpgrade(sys, kCspProductCode, versionOrder, &minimumOrder);
    if (decision != 0) return {true, decision};
    if (minimumOrder > 0) {
      sys.log.Line({"CSP: the installed version is too old for an upgrade"});
      if (!silent) ShowMessage(sys, kStrCspTooOld, kStrUpdateCaption, kMbIconError);
      return {true, kExitCspTooOld};
    }
    if (versionOrder != 1) {
      sys.log.Line({"CSP: package not newer, nothing to do"});
      return {};
    }
    sys.log.Line({"CSP: newer package, upgrade in place keeping the configuration"});
    const std::uint32_t carried = BuildCarryOverArgs(sys, kCspProductCode, silent, pattern);
    if (carried != 0) return {true, carried};
    result = InstallPackage(sys, kCspProductCode, pattern, cspArgs + kUpgradeProperties, silent);
    return {};
  }
  if (IsInstalled(sys, kCspSecond)) {
    sys.log.Line({"CSP: installed under the second code, its configuration is taken over"});
    const std::uint32_t carried = BuildCarryOverArgs(sys, kCspSecondProductCode, silent, pattern);
    if (carried != 0) return {true, carried};
  }
  sys.log.Line({"CSP: new installation under the CSP code"});
  result = InstallPackage(sys, kCspProductCode, pattern, cspArgs, silent);
  return {};
}

// The ZAZ CSP package: upgraded in place keeping its language, installed fresh, or left alone.
// Adds the installation's result to `accumulator`.
EarlyEnd InstallZazCsp(const System& sys, bool silent, const std::u16string& suffix,
                       const std::u16string& ucspArgs, std::uint32_t& accumulator) {
  std::u16string pattern = kZazCsp.packagePrefix + suffix;
  if (!IsInstalled(sys, kZazCsp)) {
    sys.log.Line({"ZAZ CSP: first installation"});
    AddStepResult(accumulator, InstallPackage(sys, kZazCspProductCode, pattern, ucspArgs, silent));
    return {};
  }
  int versionOrder = 1;
  const std::uint32_t decision = DecideUpgrade(sys, kZazCspProductCode, versionOrder, nullptr);
  if (decision != 0) return {true, decision};
  if (versionOrder != 1) {
    sys.log.Line({"ZAZ CSP: package not newer, nothing to do"});
    return {};
  }
  sys.log.Line({"ZAZ CSP: newer package, upgrade in place keeping the language"});
  const std::uint32_t carried = BuildCarryOverArgs(sys, kZazCspProductCode, silent, pattern);
  if (carried != 0) return {true, carried};
  AddStepResult(accumulator, InstallPackage(sys, kZazCspProductCode, pattern,
                                            ucspArgs + kUpgradeProperties, silent));
  return {};
}

// Registry and ACL imports of the ZAZ CSP, resolved against the current directory.
std::uint32_t ImportZazSettings(const System& sys, Wow64Cache& wow64) {
  const bool wow = IsWow64(sys, wow64, true);
  const char16_t* registryFile = wow ? u"ZAZ_x64_2.reg" : u"ZAZ_x86_2.reg";
  const char16_t* aclFile = wow ? u"ZAZ_acl_x64.acl" : u"ZAZ_acl_x86.acl";
  sys.trace.ImportRun(ImportKind::kRegistry, registryFile);
  std::uint32_t result = RunProcess(sys, std::u16string(kRegistryImport) + registryFile);
  sys.trace.ImportRun(ImportKind::kAcl, aclFile);
  AddStepResult(result, RunProcess(sys, std::u16string(kAclImport) + aclFile));
  return result;
}

}  // namespace

// Every step runs; the sequence's result is its first failure, else 3010 when a step asked for
// a restart, else 0.
std::uint32_t InstallProviders(const System& sys, SetupState& state, bool silent,
                               std::u16string cspArgs, std::u16string ucspArgs) {
  const SetupOptions& options = state.options;
  const std::u16string suffix = ArchitectureSuffix(sys, state.wow64);
  std::uint32_t accumulator = 0;

  if (options.installCsp) {
    const EarlyEnd end = InstallCsp(sys, options, silent, suffix, cspArgs, accumulator);
    if (end.ends) return end.result;
  }
  if (options.installUcsp) {
    const EarlyEnd end = InstallZazCsp(sys, silent, suffix, ucspArgs, accumulator);
    if (end.ends) return end.result;
    AddStepResult(accumulator, ImportZazSettings(sys, state.wow64));
    AddRootCertificates(sys);
  }
  return accumulator;
}
