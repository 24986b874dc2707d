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

// What an upgrade in place keeps, in the log's words.
const char16_t* KeptConfiguration(CarryOver carryOver) {
  return carryOver == CarryOver::kLanguage ? u"language" : u"configuration";
}

// An installed `product` upgraded in place when its package is newer, keeping the configuration
// its row carries over; left alone when the package is not newer. An installed version below
// the row's minimum in-place version ends the sequence: only the CSP has one, so the message
// and the exit code are the CSP's. Adds the installation's result to `accumulator`.
EarlyEnd UpgradeInPlace(const System& sys, const Product& product, const Prompts& prompts,
                        std::u16string pattern, const std::u16string& args,
                        std::uint32_t& accumulator) {
  int versionOrder = 1;
  int minimumOrder = -1;
  const std::uint32_t decision = DecideUpgrade(sys, prompts, product, versionOrder, &minimumOrder);
  if (decision != 0) return {true, decision};
  if (minimumOrder > 0) {
    sys.log.Line({product.name, ": the installed version is too old for an upgrade"});
    ShowMessage(sys, prompts, BoxKind::kUnlessSilent, kStrCspTooOld, kStrUpdateCaption,
                kMbIconError);
    return {true, kExitCspTooOld};
  }
  if (versionOrder != 1) {
    sys.log.Line({product.name, ": package not newer, nothing to do"});
    return {};
  }
  sys.log.Line({product.name, ": newer package, upgrade in place keeping the ",
                KeptConfiguration(product.carryOver)});
  const std::uint32_t carried = BuildCarryOverArgs(sys, product, prompts, pattern);
  if (carried != 0) return {true, carried};
  AddStepResult(accumulator,
                InstallPackage(sys, product.code, pattern, args + kUpgradeProperties, prompts));
  return {};
}

// The CSP: installed as chosen when the configuration was selected, else upgraded in place,
// taken over from the second product code, or installed fresh. Adds the installation's result
// to `accumulator`.
EarlyEnd InstallCsp(const System& sys, const SetupOptions& options, const Prompts& prompts,
                    const std::u16string& suffix, const std::u16string& cspArgs,
                    std::uint32_t& accumulator) {
  std::u16string pattern =
      kCsp.packagePrefix + suffix + options.kcPattern + options.langPattern + u" ";
  if (options.selectConfig) {
    sys.log.Line({"CSP: configuration chosen, installed as chosen"});
    AddStepResult(accumulator, InstallPackage(sys, kCsp.code, pattern, cspArgs, prompts));
    return {};
  }
  if (IsInstalled(sys, kCsp)) {
    return UpgradeInPlace(sys, kCsp, prompts, pattern, cspArgs, accumulator);
  }
  if (IsInstalled(sys, kCspSecond)) {
    sys.log.Line({"CSP: installed under the second code, its configuration is taken over"});
    const std::uint32_t carried = BuildCarryOverArgs(sys, kCspSecond, prompts, pattern);
    if (carried != 0) return {true, carried};
  }
  sys.log.Line({"CSP: new installation under the CSP code"});
  AddStepResult(accumulator, InstallPackage(sys, kCsp.code, pattern, cspArgs, prompts));
  return {};
}

// The ZAZ CSP package: upgraded in place keeping its language, installed fresh, or left alone.
// Adds the installation's result to `accumulator`.
EarlyEnd InstallZazCsp(const System& sys, const Prompts& prompts, const std::u16string& suffix,
                       const std::u16string& ucspArgs, std::uint32_t& accumulator) {
  const std::u16string pattern = kZazCsp.packagePrefix + suffix;
  if (IsInstalled(sys, kZazCsp)) {
    return UpgradeInPlace(sys, kZazCsp, prompts, pattern, ucspArgs, accumulator);
  }
  sys.log.Line({"ZAZ CSP: first installation"});
  AddStepResult(accumulator, InstallPackage(sys, kZazCsp.code, pattern, ucspArgs, prompts));
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
std::uint32_t InstallProviders(const System& sys, SetupState& state, const Prompts& prompts) {
  const SetupOptions& options = state.options;
  const std::u16string suffix = ArchitectureSuffix(sys, state.wow64);
  std::uint32_t accumulator = 0;

  if (options.installCsp) {
    const EarlyEnd end = InstallCsp(sys, options, prompts, suffix, options.cspArgs, accumulator);
    if (end.ends) return end.result;
  }
  if (options.installUcsp) {
    const EarlyEnd end = InstallZazCsp(sys, prompts, suffix, options.ucspArgs, accumulator);
    if (end.ends) return end.result;
    AddStepResult(accumulator, ImportZazSettings(sys, state.wow64));
    AddRootCertificates(sys);
  }
  return accumulator;
}
