#pragma once

// The postponement of one plug-in upgrade, kept from run to run in the launcher's registry
// value: for which version, when the first and the last run that postponed it ended, and how
// often a user answered that it should wait. It bounds how long the users of the programs that
// hold the plug-in may put the upgrade off.

#include <cstdint>
#include <string>

#include "system/system.h"

// How long one version may be postponed from its first postponement, and how long after the
// last one a run postpones again without asking anybody.
constexpr std::uint32_t kPostponeSeconds = 7 * 24 * 3600;
constexpr std::uint32_t kAskAgainSeconds = 3600;

struct Postponement {
  std::u16string version;      // the package's version; empty: nothing postponed yet
  std::uint32_t first = 0;     // seconds since 1970 UTC of the first run that ended postponed
  std::uint32_t last = 0;      // and of the last one
  std::uint32_t declined = 0;  // the answers "postpone"
};

// The value's text: "<version>;<first>;<last>;<declined>", the numbers in decimal.
std::u16string PostponementText(const Postponement& postponement);
// Reads such a text; false for anything else (a version with ';', missing or extra fields,
// numbers that are not decimal or too large).
bool ParsePostponement(const std::u16string& text, Postponement* postponement);

// The postponement kept for `version` at `now`: a time later than now (a clock set back)
// counts as now. For another version, or none kept or readable, a fresh one for `version`.
Postponement LoadPostponement(const System& sys, const std::u16string& version, std::uint32_t now);
// Whether the users may postpone once more: fewer "postpone" answers than `maxDefer`, and the
// first postponement less than kPostponeSeconds ago.
bool PostponingAllowed(const Postponement& postponement, std::uint32_t maxDefer, std::uint32_t now);
// Whether the last run that postponed ended less than kAskAgainSeconds ago.
bool PostponedWithinTheHour(const Postponement& postponement, std::uint32_t now);
// Keeps that a run ends postponed at `now`; false (logged) when the value cannot be written.
bool SavePostponement(const System& sys, Postponement& postponement, std::uint32_t now);
// Deletes the kept postponement once the installed plug-in is its version or a newer one.
void ForgetPostponement(const System& sys);
