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

// The package pattern of one step. It is written with the tag of the first platform the kind of
// Windows takes, so that the carry-over adds the installed configuration to it, and the platform
// whose package the distribution has for the whole pattern is taken only where a package is
// installed.
class StepPattern {
 public:
  StepPattern(const System& sys, const WindowsKind& windows, const Product& product,
              const std::u16string& rest)
      : sys_(sys),
        windows_(windows),
        product_(product),
        head_(std::u16string(product.packagePrefix) + PlatformRow(windows.takes[0]).tag),
        text_(head_ + rest) {}

  std::u16string& Text() { return text_; }
  // The pattern to install from.
  std::u16string Taken() {
    taken_ = true;
    return PackagePattern(sys_, windows_, product_, text_.substr(head_.size()), &platform_);
  }
  // The platform whose settings go with the step: that of the package taken, or the kind's only
  // one; false where nothing was taken on a kind that has a choice.
  bool SettingsPlatform(PackagePlatformId& platform) const {
    platform = taken_ ? platform_ : windows_.takes[0];
    return taken_ || windows_.takesCount == 1;
  }

 private:
  const System& sys_;
  const WindowsKind& windows_;
  const Product& product_;
  std::u16string head_;
  std::u16string text_;
  bool taken_ = false;
  PackagePlatformId platform_ = PackagePlatformId::kWin32;
};

// An installed product upgraded in place when its package is newer, keeping the configuration
// its row carries over; left alone when the package is not newer. An installed version below
// the row's minimum in-place version ends the sequence with the step's message and exit code.
// Adds the installation's result to `accumulator`.
EarlyEnd UpgradeInPlace(const System& sys, const ProviderStep& step, const Prompts& prompts,
                        StepPattern& pattern, const std::u16string& args,
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
  const std::uint32_t carried = BuildCarryOverArgs(sys, product, prompts, pattern.Text());
  if (carried != 0) return {true, carried};
  AddStepResult(accumulator, InstallPackage(sys, product.code, pattern.Taken(),
                                            args + kUpgradeProperties, prompts));
  return {};
}

// What the step's package pattern holds behind the platform suffix: the fragments the options
// give and a blank where the step has fragments.
std::u16string PatternRest(const ProviderStep& step, const SetupOptions& options) {
  std::u16string rest;
  if (step.levelFragment == nullptr && step.languageFragment == nullptr) return rest;
  if (step.levelFragment != nullptr) rest += options.*step.levelFragment;
  if (step.languageFragment != nullptr) rest += options.*step.languageFragment;
  return rest + u" ";
}

// One step: installed as chosen where its policy lets a chosen configuration decide, else
// upgraded in place, or installed fresh, after taking over the configuration of a copy
// installed under the row its policy names. Adds the installation's result to `accumulator`.
EarlyEnd InstallProvider(const System& sys, const ProviderStep& step, const SetupOptions& options,
                         const Prompts& prompts, StepPattern& pattern, std::uint32_t& accumulator) {
  const std::u16string& args = options.*step.args;
  if ((step.policy & kAsChosen) != 0 && options.selectConfig) {
    sys.log.Line({LogPart::Ascii(step.chosenLog)});
    AddStepResult(accumulator,
                  InstallPackage(sys, step.product.code, pattern.Taken(), args, prompts));
    return {};
  }
  if (IsInstalled(sys, step.product)) {
    return UpgradeInPlace(sys, step, prompts, pattern, args, accumulator);
  }
  if ((step.policy & kTakeOver) != 0 && IsInstalled(sys, *step.takenOver)) {
    sys.log.Line({LogPart::Ascii(step.takeOverLog)});
    const std::uint32_t carried = BuildCarryOverArgs(sys, *step.takenOver, prompts, pattern.Text());
    if (carried != 0) return {true, carried};
  }
  sys.log.Line({LogPart::Ascii(step.freshLog)});
  AddStepResult(accumulator,
                InstallPackage(sys, step.product.code, pattern.Taken(), args, prompts));
  return {};
}

// The file of `kind` that the step imports for a package of `platform`: its own where the
// distribution has it, else that of the platform it falls back to. Relative to the current
// directory.
const char16_t* SettingsFile(const System& sys, const ProviderStep& step,
                             PackagePlatformId platform, ImportKind kind) {
  const auto file = [&](PackagePlatformId id) {
    const SettingsImports& files = step.imports[static_cast<int>(id)];
    return kind == ImportKind::kRegistry ? files.registry : files.acl;
  };
  const PackagePlatformId fallback = PlatformRow(platform).settingsFallback;
  if (fallback == platform ||
      sys.files.ReadFileAttributes(file(platform)) != kInvalidFileAttributes) {
    return file(platform);
  }
  return file(fallback);
}

// The step's registry and ACL imports for a package of `platform`.
std::uint32_t ImportSettings(const System& sys, const ProviderStep& step,
                             PackagePlatformId platform) {
  std::uint32_t result = 0;
  for (const ImportKind kind : {ImportKind::kRegistry, ImportKind::kAcl}) {
    const char16_t* file = SettingsFile(sys, step, platform, kind);
    sys.trace.ImportRun(kind, file);
    AddStepResult(result,
                  RunProcess(sys, (kind == ImportKind::kRegistry ? std::u16string(kRegistryImport)
                                                                 : std::u16string(kAclImport)) +
                                      file));
  }
  return result;
}

}  // namespace

// Every asked step runs in the rows' order; the sequence's result is its first failure, else
// 3010 when a step asked for a restart, else 0.
std::uint32_t InstallProviders(const System& sys, SetupState& state, const Prompts& prompts) {
  const SetupOptions& options = state.options;
  const WindowsKind& windows = RunningWindows(sys, state.wow64);
  std::uint32_t accumulator = 0;
  for (const ProviderStep& step : kProviderSteps) {
    if (!(options.*step.asked)) continue;
    StepPattern pattern(sys, windows, step.product, PatternRest(step, options));
    const EarlyEnd end = InstallProvider(sys, step, options, prompts, pattern, accumulator);
    if (end.ends) return end.result;
    PackagePlatformId platform = PackagePlatformId::kWin32;
    if (step.imports != nullptr && pattern.SettingsPlatform(platform)) {
      AddStepResult(accumulator, ImportSettings(sys, step, platform));
    } else if (step.imports != nullptr) {
      // Left as it is, the installed product may be of another platform than this Windows would
      // take now: another platform's settings are not imported over it.
      sys.log.Line({step.product.name, ": left as it is, its settings are not imported again"});
    }
    if (step.rootCertificates) AddRootCertificates(sys);
  }
  return accumulator;
}
