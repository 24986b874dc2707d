#pragma once

// The providers as rows: which product a step installs, the options that ask for it and hold
// its arguments, how it installs where it upgrades nothing in place, the settings it imports
// and its texts. InstallProviders, the outcome's texts and the distribution check all read
// these rows; a provider of the same kind is one more row.

#include <cstdint>
#include <string>

#include "actions/setup_options.h"
#include "common/exit_codes.h"
#include "common/platforms.h"
#include "common/product_catalogue.h"
#include "ui/string_ids.h"

// What a step may do besides upgrading an installed copy in place and installing fresh under
// its product's code; flags, combined with |.
enum FreshPolicy : std::uint8_t {
  kFirstInstallation = 0,  // nothing besides
  kTakeOver = 1,           // a copy installed under `takenOver` hands its configuration over
  kAsChosen = 2,  // with -selectDlg the configuration asked for is installed, nothing looked at
};

// The files that a step's settings imports hand to regedit and regini on one platform, named
// relative to the current directory.
struct SettingsImports {
  const char16_t* registry;
  const char16_t* acl;
};

// One provider installation step.
struct ProviderStep {
  const Product& product;
  bool SetupOptions::*asked;           // the flag that asks for it
  std::u16string SetupOptions::*args;  // its msiexec arguments
  // The options whose fragments its package pattern adds after the platform suffix, followed
  // by a blank: the level, then the language; null: none.
  std::u16string SetupOptions::*levelFragment;
  std::u16string SetupOptions::*languageFragment;
  std::uint8_t policy;       // FreshPolicy flags
  const Product* takenOver;  // with kTakeOver
  // The run log's line for each way it installs where it upgrades nothing in place: as chosen
  // (kAsChosen), found under `takenOver` (kTakeOver, before `freshLog`), under its own code.
  const char* chosenLog;
  const char* takeOverLog;
  const char* freshLog;
  // Its settings imports, run after the installation: one row per package platform, in the
  // order of kPackagePlatforms; null: none.
  const SettingsImports* imports;
  bool rootCertificates;  // the distribution's root certificates are added after it
  // The message and exit code for an installed version below the product's minimumInPlace.
  std::uint16_t tooOldText;
  std::uint32_t tooOldExit;
  std::uint16_t progressTitle;  // the progress window's title when it is asked for; 0: none
};

// The rows' texts and import files, defined once in provider_steps.cpp (see catalogue_text).
namespace step_text {
extern const char kCspChosen[], kCspTakeOver[], kCspFresh[], kZazCspFresh[];
extern const SettingsImports kZazCspImports[];
}  // namespace step_text

// In installation order. The columns: product, asked, args, levelFragment, languageFragment,
// policy, takenOver, chosenLog, takeOverLog, freshLog, imports, rootCertificates, tooOldText,
// tooOldExit, progressTitle.
inline constexpr ProviderStep kProviderSteps[] = {
    {kCsp, &SetupOptions::installCsp, &SetupOptions::cspArgs, &SetupOptions::kcPattern,
     &SetupOptions::langPattern, kTakeOver | kAsChosen, &kCspSecond, step_text::kCspChosen,
     step_text::kCspTakeOver, step_text::kCspFresh, nullptr, false, kStrCspTooOld, kExitCspTooOld,
     kStrProgressCsp},
    {kZazCsp, &SetupOptions::installUcsp, &SetupOptions::ucspArgs, nullptr, nullptr,
     kFirstInstallation, nullptr, nullptr, nullptr, step_text::kZazCspFresh,
     step_text::kZazCspImports, true, 0, 0, 0},
};
