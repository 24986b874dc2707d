#include "actions/provider_install.h"

#include "actions/architecture.h"
#include "actions/package_install.h"
#include "actions/process_runner.h"
#include "actions/provider_steps.h"
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

// An installed product upgraded in place when its package is newer, keeping the configuration
// its row carries over; left alone when the package is not newer. An installed version below
// the row's minimum in-place version ends the sequence with the step's message and exit code.
// Adds the installation's result to `accumulator`.
EarlyEnd UpgradeInPlace(const System& sys, const ProviderStep& step, const Prompts& prompts,
                        std::u16string pattern, const std::u16string& args,
                        std::uint32_t& accumulator) {
  const Product& product = step.product;
  int versionOrder = 1;
  int minimumOrder = -1;
  const std::uint32_t decision = DecideUpgrade(sys, prompts, product, versionOrder, &minimumOrder);
  if (decision != 0) return {true, decision};
  if (minimumOrder > 0) {
    sys.log.Line({product.name, ": the installed version is too old for an upgrade"});
    ShowMessage(sys, prompts, BoxKind::kUnlessSilent, step.tooOldText, kStrUpdateCaption,
                kMbIconError);
    return {true, step.tooOldExit};
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

// The step's package pattern: the product's prefix, the platform suffix, then the fragments the
// options give and a blank where the step has fragments.
std::u16string PackagePattern(const ProviderStep& step, const SetupOptions& options,
                              const std::u16string& suffix) {
  std::u16string pattern = step.product.packagePrefix + suffix;
  if (step.levelFragment == nullptr && step.languageFragment == nullptr) return pattern;
  if (step.levelFragment != nullptr) pattern += options.*step.levelFragment;
  if (step.languageFragment != nullptr) pattern += options.*step.languageFragment;
  return pattern + u" ";
}

// One step: installed as chosen where its policy lets a chosen configuration decide, else
// upgraded in place, or installed fresh, after taking over the configuration of a copy
// installed under the row its policy names. Adds the installation's result to `accumulator`.
EarlyEnd InstallProvider(const System& sys, const ProviderStep& step, const SetupOptions& options,
                         const Prompts& prompts, const std::u16string& suffix,
                         std::uint32_t& accumulator) {
  const std::u16string& args = options.*step.args;
  std::u16string pattern = PackagePattern(step, options, suffix);
  if ((step.policy & kAsChosen) != 0 && options.selectConfig) {
    sys.log.Line({LogPart::Ascii(step.chosenLog)});
    AddStepResult(accumulator, InstallPackage(sys, step.product.code, pattern, args, prompts));
    return {};
  }
  if (IsInstalled(sys, step.product)) {
    return UpgradeInPlace(sys, step, prompts, pattern, args, accumulator);
  }
  if ((step.policy & kTakeOver) != 0 && IsInstalled(sys, *step.takenOver)) {
    sys.log.Line({LogPart::Ascii(step.takeOverLog)});
    const std::uint32_t carried = BuildCarryOverArgs(sys, *step.takenOver, prompts, pattern);
    if (carried != 0) return {true, carried};
  }
  sys.log.Line({LogPart::Ascii(step.freshLog)});
  AddStepResult(accumulator, InstallPackage(sys, step.product.code, pattern, args, prompts));
  return {};
}

// The step's registry and ACL imports of this platform, resolved against the current directory.
std::uint32_t ImportSettings(const System& sys, const ProviderStep& step, Wow64Cache& wow64) {
  const SettingsImports& files =
      step.imports[IsWow64(sys, wow64, true) ? kPlatformX64 : kPlatformX86];
  sys.trace.ImportRun(ImportKind::kRegistry, files.registry);
  std::uint32_t result = RunProcess(sys, std::u16string(kRegistryImport) + files.registry);
  sys.trace.ImportRun(ImportKind::kAcl, files.acl);
  AddStepResult(result, RunProcess(sys, std::u16string(kAclImport) + files.acl));
  return result;
}

}  // namespace

// Every asked step runs in the rows' order; the sequence's result is its first failure, else
// 3010 when a step asked for a restart, else 0.
std::uint32_t InstallProviders(const System& sys, SetupState& state, const Prompts& prompts) {
  const SetupOptions& options = state.options;
  const std::u16string suffix = ArchitectureSuffix(sys, state.wow64);
  std::uint32_t accumulator = 0;
  for (const ProviderStep& step : kProviderSteps) {
    if (!(options.*step.asked)) continue;
    const EarlyEnd end = InstallProvider(sys, step, options, prompts, suffix, accumulator);
    if (end.ends) return end.result;
    if (step.imports != nullptr) AddStepResult(accumulator, ImportSettings(sys, step, state.wow64));
    if (step.rootCertificates) AddRootCertificates(sys);
  }
  return accumulator;
}
