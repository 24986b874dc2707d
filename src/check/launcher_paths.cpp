#include "check/launcher_paths.h"

#include "actions/plugin_install.h"
#include "actions/provider_install.h"
#include "common/ascii_text.h"
#include "common/product_catalogue.h"
#include "common/scoped_handles.h"
#include "installer/carry_over.h"
#include "installer/folder_walk.h"
#include "installer/package_lookup.h"
#include "setup/command_line.h"
#include "setup/dialog_choice.h"

namespace {

// The launcher's boxes as in a -silent run that somebody sees: only those shown even then.
constexpr Prompts kSilentRun(true, true);
// An installed version older than every package, so that an installed product is replaced.
constexpr char16_t kOldestVersion[] = u"";

}  // namespace

// Runs the plug-in installation, or the provider installation with the run's options, on a
// simulation of the run's start.
PathRun Rerun(const RealSystem& real, PathRun run, const std::u16string& listedFirst) {
  Simulation simulation(real, *run.windows);
  simulation.installer.installed = run.installedProducts;
  simulation.files.listedFirst = listedFirst;
  SetupState state;
  state.options = run.options;
  if (run.productCode == kPluginProductCode) {
    run.result = InstallPlugin(simulation.sys, state, u"", kSilentRun);
  } else {
    run.result = InstallProviders(simulation.sys, state, kSilentRun);
  }
  const RecordedTrace& trace = simulation.trace;
  const std::vector<std::u16string> installed = trace.PackagesInstalled();
  run.installsSeveral = installed.size() > 1;
  run.installed = installed.size() == 1 ? installed[0] : std::u16string();
  run.versionSource = trace.LastComparedPackage();
  run.pattern = trace.LastPattern();
  run.lookups = trace.PatternsLookedUp();
  run.messages = trace.Messages();
  run.refusals = simulation.rule.refusals;
  return run;
}

namespace {

PathRun Simulate(const RealSystem& real, const WindowsKind& windows, const SetupOptions& options,
                 const std::map<std::u16string, SimulatedProduct>& installed, PathRun run) {
  run.windows = &windows;
  run.options = options;
  run.installedProducts = installed;
  return Rerun(real, run, u"");
}

// Options as the launcher reads them from `commandLine`.
SetupOptions OptionsOf(const RealSystem& real, const std::u16string& commandLine) {
  return ReadCommandLine(real.platform, commandLine).options;
}

std::u16string WithoutStar(const std::u16string& fragment) {
  return !fragment.empty() && fragment.back() == u'*' ? fragment.substr(0, fragment.size() - 1)
                                                      : fragment;
}

std::u16string ConfigurationName(const PackageConfiguration& configuration) {
  return configuration.level.empty() ? configuration.language
                                     : configuration.level + u" " + configuration.language;
}

// The name of the option that sets `flag` or fills `text`, as the help writes it.
std::u16string OptionName(bool SetupOptions::*flag, std::u16string SetupOptions::*text = nullptr) {
  std::u16string name;
  for (const CommandOption& option : AllCommandOptions()) {
    if ((flag != nullptr && option.flag == flag) || (text != nullptr && option.text == text)) {
      AppendAscii(name, option.name);
      break;
    }
  }
  return name;
}

// " -KC kc2" for the option that fills `fragment` with `value`; empty without the option.
std::u16string FragmentOption(std::u16string SetupOptions::*fragment, const std::u16string& value) {
  return fragment == nullptr ? u""
                             : u" " + OptionName(nullptr, fragment) + u" " + WithoutStar(value);
}

}  // namespace

std::u16string VersionCheckPattern(const std::u16string& productCode) {
  const Product* product = FindProduct(productCode);
  return product != nullptr ? product->versionPattern : u"";
}

bool ReadConfiguration(const RealSystem& real, const std::u16string& productCode,
                       const std::u16string& path, PackageConfiguration& configuration) {
  const Product* product = FindProduct(productCode);
  if (product == nullptr) return false;
  Simulation simulation(real, kWindowsKinds[0]);
  simulation.installer.installed[productCode] = {kOldestVersion, path};
  std::u16string pattern;
  if (BuildCarryOverArgs(simulation.sys, *product, kSilentRun, pattern) != 0) return false;
  configuration.level = simulation.trace.LastLevelCarried();
  configuration.language = simulation.trace.LastLanguageCarried();
  configuration.file = path;
  return true;
}

std::vector<std::u16string> ListPackageFiles(const RealSystem& real,
                                             const std::u16string& pattern) {
  std::vector<std::u16string> found;
  FileApi& files = real.files;
  std::u16string current;
  if (ReadCurrentDirectoryText(files, current) != 0) return found;

  ForEachSearchedFolder(files, [&](const FindEntry& directory) {
    const std::u16string search = directory.name + u"\\" + pattern;
    FindEntry match;
    ScopedFind matches(files, files.FindFirst(search.c_str(), &match));
    if (!matches.IsOpen()) return true;
    do {
      if ((match.attributes & kFileAttributeDirectory) == 0) {
        found.push_back(current + u"\\" + directory.name + u"\\" + match.name);
      }
    } while (files.FindNext(matches.get(), &match));
    return true;
  });
  return found;
}

std::vector<PackageConfiguration> OfferedConfigurations(const RealSystem& real,
                                                        const std::u16string& productCode) {
  std::vector<PackageConfiguration> offered;
  for (const std::u16string& path : ListPackageFiles(real, VersionCheckPattern(productCode))) {
    PackageConfiguration configuration;
    if (!ReadConfiguration(real, productCode, path, configuration)) continue;
    bool known = false;
    for (const PackageConfiguration& other : offered) known = known || other == configuration;
    if (!known) offered.push_back(configuration);
  }
  return offered;
}

std::vector<PathRun> PluginPaths(const RealSystem& real, const WindowsKind& windows) {
  PathRun run;
  run.productCode = kPluginProductCode;
  run.label = u"fresh installation";
  std::vector<PathRun> runs{Simulate(real, windows, {}, {}, run)};
  run.label = u"replacement of an installed older plug-in";
  runs.push_back(Simulate(real, windows, {}, {{kPluginProductCode, {kOldestVersion, u""}}}, run));
  return runs;
}

std::vector<PathRun> ProviderPaths(const RealSystem& real, const ProviderStep& step,
                                   const WindowsKind& windows) {
  const Product& product = step.product;
  const std::u16string flag = OptionName(step.asked);
  const SetupOptions options = OptionsOf(real, flag);
  PathRun run;
  run.productCode = product.code;
  run.label = u"fresh installation, " + flag;
  std::vector<PathRun> runs{Simulate(real, windows, options, {}, run)};

  for (const PackageConfiguration& offered : OfferedConfigurations(real, product.code)) {
    PathRun asked = run;
    asked.level = offered.level;
    asked.language = offered.language;
    const std::u16string name = ConfigurationName(offered);

    // As the options of the pattern's fragments give it; a package that names no level can
    // only be asked by language.
    if (step.levelFragment != nullptr || step.languageFragment != nullptr) {
      const std::u16string commandLine =
          flag +
          FragmentOption(offered.level != kNoLevelFragment ? step.levelFragment : nullptr,
                         offered.level) +
          FragmentOption(step.languageFragment, offered.language);
      asked.label = u"fresh installation, " + commandLine;
      runs.push_back(Simulate(real, windows, OptionsOf(real, commandLine), {}, asked));
    }

    // As dialog 141 gives it, when it offers this level and language.
    const int levelButton = DialogButtonOf(offered.level);
    const int languageButton = DialogButtonOf(offered.language);
    if ((step.policy & kAsChosen) != 0 && levelButton != 0 && languageButton != 0) {
      const std::u16string commandLine = flag + u" " + OptionName(&SetupOptions::selectConfig);
      SetupOptions chosen = OptionsOf(real, commandLine);
      AppendDialogChoice(
          [&](int button) { return button == levelButton || button == languageButton; }, chosen);
      asked.label = u"fresh installation, " + commandLine + u", " + name + u" chosen";
      runs.push_back(Simulate(real, windows, chosen, {}, asked));
    }

    // The oldest installed version upgraded in place rather than refused.
    const std::u16string minimum = product.minimumInPlace;
    const SimulatedProduct installed{minimum, offered.file};
    asked.label = u"upgrade of an installed " + name + u" " + product.name +
                  (minimum.empty() ? u"" : u" " + minimum);
    runs.push_back(Simulate(real, windows, options, {{product.code, installed}}, asked));
    if ((step.policy & kTakeOver) != 0) {
      asked.label = u"takeover of a " + name + u" " + product.name +
                    u" installed under the second product code";
      runs.push_back(Simulate(real, windows, options, {{step.takenOver->code, installed}}, asked));
    }
  }
  return runs;
}

ImportFiles ImportFilesOf(const RealSystem& real, const ProviderStep& step,
                          const WindowsKind& windows) {
  Simulation simulation(real, windows);
  SetupState state;
  state.options = OptionsOf(real, OptionName(step.asked));
  InstallProviders(simulation.sys, state, kSilentRun);
  ImportFiles files;
  for (const RecordedTrace::Import& import : simulation.trace.All<RecordedTrace::Import>()) {
    (import.kind == ImportKind::kRegistry ? files.registry : files.acl) = import.file;
  }
  return files;
}
