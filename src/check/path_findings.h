#pragma once

#include <string>

#include "check/check_report.h"
#include "check/launcher_paths.h"
#include "check/package_table.h"

// "plug-in", "CSP" or "ZAZ CSP"; any other code as it is.
std::u16string ProductName(const std::u16string& productCode);

// `path` relative to `folder` when it lies below it.
std::u16string RelativeTo(const std::u16string& folder, const std::u16string& path);

// The report line of one path into `line`: the file it installs with its facts from `packages`,
// and what disagrees with the path: a foreign product code, another level or language than
// asked, a version read from another package than the one installed, nothing found, an upgrade
// that never happens. 0, or kCheckBadUsage where the path, or its start on a medium that lists
// another file first, installs more than one package: the report cannot show which one.
int EvaluatePath(const RealSystem& real, const PackageTable& packages, const std::u16string& folder,
                 const PathRun& run, ReportLine& line);
