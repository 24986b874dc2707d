#pragma once

#include <cstdint>
#include <string>

#include "check/check_report.h"
#include "check/launcher_paths.h"

// The properties of a package file that the check compares with what a path asked for.
struct PackageFacts {
  std::u16string productCode;
  std::u16string version;
  std::u16string language;
  std::u16string releaseFlags;
};

// Reads the facts of the package at `path` read-only; 0 or the installer's error.
std::uint32_t ReadPackageFacts(PackageApi& packages, const std::u16string& path,
                               PackageFacts& facts);

// "plug-in", "CSP" or "ZAZ CSP"; any other code as it is.
std::u16string ProductName(const std::u16string& productCode);

// `path` relative to `folder` when it lies below it.
std::u16string RelativeTo(const std::u16string& folder, const std::u16string& path);

// The report line of one path: the file it installs with its facts, and what disagrees with
// the path: a foreign product code, another level or language than asked, a version read from
// another package than the one installed, nothing found, an upgrade that never happens.
ReportLine EvaluatePath(const RealSystem& real, const std::u16string& folder, const PathRun& run);
