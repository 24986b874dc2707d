#include "check/distribution_check.h"

#include <algorithm>
#include <set>

#include "check/distribution_files.h"
#include "check/package_platform.h"
#include "check/path_findings.h"
#include "common/product_catalogue.h"
#include "installer/package_lookup.h"

namespace {

// What the paths of every section found, for the checks across them.
struct PathsSeen {
  std::set<std::u16string> reached;       // files some path installs or reads
  std::set<std::u16string> matched;       // files matching a pattern some path looked up
  std::vector<DetectionFacts> detection;  // per product, in report order
};

// The version a successful run leaves installed and the package it installs, kept for the
// product's detection facts.
void AddDetection(const PackageTable& packages, const std::u16string& folder, const PathRun& run,
                  PathsSeen& seen) {
  auto facts = std::find_if(
      seen.detection.begin(), seen.detection.end(),
      [&](const DetectionFacts& known) { return known.productCode == run.productCode; });
  if (facts == seen.detection.end()) {
    facts = seen.detection.insert(seen.detection.end(),
                                  {ProductName(run.productCode), run.productCode, {}, false, {}});
  }
  const std::u16string platform = WindowsName(run.wow64);
  if (facts->versions.empty() || facts->versions.back().first != platform) {
    facts->versions.push_back({platform, {}});
  }
  if (run.result != 0 || run.installed.empty()) return;
  const PackageRow& installed = packages.Row(run.installed);
  if (installed.factsError != 0) return;
  std::vector<std::u16string>& versions = facts->versions.back().second;
  if (std::find(versions.begin(), versions.end(), installed.facts.version) == versions.end()) {
    versions.push_back(installed.facts.version);
  }
  if (installed.summaryError != 0) return;
  const PackageNeed need{RelativeTo(folder, run.installed), installed.summary.pageCount};
  if (std::find(facts->packages.begin(), facts->packages.end(), need) == facts->packages.end()) {
    facts->packages.push_back(need);
  }
}

// One version, the same on every platform.
bool SameOnEveryPlatform(const DetectionFacts& facts) {
  const std::vector<std::u16string>& first = facts.versions[0].second;
  for (const auto& [platform, versions] : facts.versions) {
    if (versions.size() != 1 || first.size() != 1 || versions[0] != first[0]) return false;
  }
  return true;
}

// One section of paths into `section`, and what they found into `seen`. 0, or kCheckBadUsage
// where a path cannot be judged, with `unjudged` naming it.
int PathSection(const RealSystem& real, const PackageTable& packages, const std::u16string& folder,
                const std::vector<PathRun>& runs, ReportSection& section, PathsSeen& seen,
                std::u16string& unjudged) {
  for (const PathRun& run : runs) {
    ReportLine line;
    if (EvaluatePath(real, packages, folder, run, line) != 0) {
      unjudged = section.title + u": " + run.label;
      return kCheckBadUsage;
    }
    section.lines.push_back(line);
    if (!run.installed.empty()) seen.reached.insert(run.installed);
    if (!run.versionSource.empty()) seen.reached.insert(run.versionSource);
    for (const std::u16string& pattern : run.lookups) {
      for (const std::u16string& match : ListPackageFiles(real, pattern)) {
        seen.matched.insert(match);
      }
    }
    AddDetection(packages, folder, run, seen);
  }
  return 0;
}

// A product the report has a section of paths for, per platform.
struct CheckedProduct {
  const Product& product;
  const char16_t* title;  // the section's, before the platform
  std::vector<PathRun> (*paths)(const RealSystem& real, bool wow64);
  bool always;  // checked whether or not the distribution offers a package of it
  // The files its settings imports hand over, checked in a section of their own; none: null.
  ImportFiles (*imports)(const RealSystem& real, bool wow64);
};

// In report order. The plug-in is installed by every run; the providers only when the
// distribution has them.
const CheckedProduct kCheckedProducts[] = {
    {kPlugin, u"Plug-in, ", PluginPaths, true, nullptr},
    {kCsp, u"CSP, ", CspPaths, false, nullptr},
    {kZazCsp, u"ZAZ CSP, ", ZazCspPaths, false, ZazImportFiles},
};

bool Offers(const RealSystem& real, const Product& product) {
  return !ListPackageFiles(real, product.versionPattern).empty();
}

}  // namespace

int CheckDistribution(const RealSystem& real, FileReader& files, CertificateReader& certificates,
                      CheckReport& report, std::u16string& unjudged) {
  report = CheckReport();
  ReadCurrentDirectoryText(real.files, report.folder);
  const PackageTable packages(real);

  std::vector<const CheckedProduct*> checked;
  for (const CheckedProduct& product : kCheckedProducts) {
    if (product.always || Offers(real, product.product)) checked.push_back(&product);
  }
  PathsSeen seen;
  for (const bool wow64 : {false, true}) {
    const std::u16string platform = WindowsName(wow64);
    for (const CheckedProduct* product : checked) {
      ReportSection section{product->title + platform, {}};
      if (PathSection(real, packages, report.folder, product->paths(real, wow64), section, seen,
                      unjudged) != 0) {
        return kCheckBadUsage;
      }
      report.sections.push_back(section);
      if (product->imports == nullptr) continue;
      ReportSection imports{product->product.name + std::u16string(u" imports, ") + platform, {}};
      CheckImportFiles(product->imports(real, wow64), files, imports);
      report.sections.push_back(imports);
    }
  }

  ReportSection around{u"Files", {}};
  CheckCertificates(real, certificates, report.folder, around);
  CheckPackageSummaries(real, packages, report.folder, around);
  CheckUnreachablePackages(real.files, report.folder, seen.reached, seen.matched, around);
  report.sections.push_back(around);
  for (DetectionFacts& facts : seen.detection)
    facts.sameOnEveryPlatform = SameOnEveryPlatform(facts);
  report.detection = seen.detection;
  return 0;
}
