#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "actions/provider_steps.h"
#include "actions/setup_options.h"
#include "check/check_report.h"
#include "check/simulated_system.h"

// The launcher's own code run on the distribution in a simulation: which file each path finds.
//
// A path is one way a run of the launcher can go: a start (the platform, the command line or the
// dialog's choice, the products already installed) and where the launcher's real installation
// code leads from it on this folder. Each path is simulated once in the folder's own listing
// order (a PathRun); the listing-order findings then run the same start again with one file
// listed first (Rerun), as another medium may list it, and compare where that leads.

// Where one simulated run of the launcher led, and what it started from.
struct PathRun {
  std::u16string label;                 // e.g. "upgrade of an installed kc2* rus* CSP"
  std::u16string productCode;           // the product whose package the path must install
  std::u16string level;                 // level fragment the path asks for; empty: any
  std::u16string language;              // language fragment the path asks for; empty: any
  std::u16string installed;             // full path of the package installed; empty when none
  std::u16string versionSource;         // full path of the package whose version was compared
  std::u16string pattern;               // the last package pattern looked up
  std::uint32_t result = 0;             // the launcher's result for the run
  std::vector<std::uint16_t> messages;  // the message boxes chosen, in order

  // The start: the kind of Windows, the options and the products installed.
  const WindowsKind* windows = &kWindowsKinds[0];
  SetupOptions options;
  std::map<std::u16string, SimulatedProduct> installedProducts;

  std::vector<std::u16string> lookups;    // every package pattern looked up, once, in order
  std::vector<PlatformRefusal> refusals;  // packages refused as ones for another platform
  // More than one package installed: no one file is the path's, and `installed` is empty.
  bool installsSeveral = false;
};

// The start of `run` once more, on a medium that lists `listedFirst` (a full path) before the
// rest; the launcher's decisions are read from the simulation's trace into the result.
PathRun Rerun(const RealSystem& real, PathRun run, const std::u16string& listedFirst);

// The level and language fragments the launcher's carry-over reads from a package file.
struct PackageConfiguration {
  std::u16string level;     // empty for the ZAZ CSP, which carries no level
                            // kNoLevelFragment for a CSP package that names none
  std::u16string language;  // "rus*" or "eng*"
  std::u16string file;      // full path of the first package with this configuration
  bool operator==(const PackageConfiguration& other) const {
    return level == other.level && language == other.language;
  }
};

// The pattern of the package whose version the launcher compares for `productCode`; empty for
// a product it does not handle.
std::u16string VersionCheckPattern(const std::u16string& productCode);

// Configuration of the package at `path` read as if it were the installed `productCode`.
// False when the package cannot be read.
bool ReadConfiguration(const RealSystem& real, const std::u16string& productCode,
                       const std::u16string& path, PackageConfiguration& configuration);

// Full paths of every file matching `pattern` in the subdirectories the lookup searches.
std::vector<std::u16string> ListPackageFiles(const RealSystem& real, const std::u16string& pattern);

// The distinct configurations of the packages matching the product's version-check pattern.
std::vector<PackageConfiguration> OfferedConfigurations(const RealSystem& real,
                                                        const std::u16string& productCode);

// Every path of the plug-in, or of a provider step, on the kind of Windows `windows`, in report
// order. A step's paths: its fresh installation; then per configuration the
// packages offer, its fresh installation as the options of its pattern's fragments ask for it,
// as dialog 141 chooses it (with kAsChosen), the upgrade of an installed copy of the oldest
// version upgraded in place, and the takeover of a copy under the second code (with kTakeOver).
std::vector<PathRun> PluginPaths(const RealSystem& real, const WindowsKind& windows);
std::vector<PathRun> ProviderPaths(const RealSystem& real, const ProviderStep& step,
                                   const WindowsKind& windows);

// The file names that a step's registry and ACL imports hand to regedit and regini; empty where
// the launcher runs no such import.
struct ImportFiles {
  std::u16string registry;
  std::u16string acl;
};
ImportFiles ImportFilesOf(const RealSystem& real, const ProviderStep& step,
                          const WindowsKind& windows);
