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
void AddDetection(const RealSystem& real, const std::u16string& folder, const PathRun& run,
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
  PackageFacts installed;
  if (run.result != 0 || run.installed.empty() ||
      ReadPackageFacts(real.packages, run.installed, installed) != 0) {
    return;
  }
  std::vector<std::u16string>& versions = facts->versions.back().second;
  if (std::find(versions.begin(), versions.end(), installed.version) == versions.end()) {
    versions.push_back(installed.version);
  }
  PackageSummary summary;
  if (real.summaries.ReadSummary(run.installed, summary) != 0) return;
  const PackageNeed need{RelativeTo(folder, run.installed), summary.pageCount};
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

// One section of paths, and what they found into `seen`.
ReportSection PathSection(const RealSystem& real, const std::u16string& folder,
                          const std::u16string& title, const std::vector<PathRun>& runs,
                          PathsSeen& seen) {
  ReportSection section{title, {}};
  for (const PathRun& run : runs) {
    section.lines.push_back(EvaluatePath(real, folder, run));
    if (!run.installed.empty()) seen.reached.insert(run.installed);
    if (!run.versionSource.empty()) seen.reached.insert(run.versionSource);
    for (const std::u16string& pattern : run.lookups) {
      for (const std::u16string& match : ListPackageFiles(real, pattern)) {
        seen.matched.insert(match);
      }
    }
    AddDetection(real, folder, run, seen);
  }
  return section;
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

CheckReport CheckDistribution(const RealSystem& real, FileReader& files,
                              CertificateReader& certificates) {
  CheckReport report;
  ReadCurrentDirectoryText(real.files, report.folder);

  std::vector<const CheckedProduct*> checked;
  for (const CheckedProduct& product : kCheckedProducts) {
    if (product.always || Offers(real, product.product)) checked.push_back(&product);
  }
  PathsSeen seen;
  for (const bool wow64 : {false, true}) {
    const std::u16string platform = WindowsName(wow64);
    for (const CheckedProduct* product : checked) {
      report.sections.push_back(PathSection(real, report.folder, product->title + platform,
                                            product->paths(real, wow64), seen));
      if (product->imports == nullptr) continue;
      ReportSection imports{product->product.name + std::u16string(u" imports, ") + platform, {}};
      CheckImportFiles(product->imports(real, wow64), files, imports);
      report.sections.push_back(imports);
    }
  }

  ReportSection around{u"Files", {}};
  CheckCertificates(real, certificates, report.folder, around);
  CheckPackageSummaries(real, report.folder, around);
  CheckUnreachablePackages(real.files, report.folder, seen.reached, seen.matched, around);
  report.sections.push_back(around);
  for (DetectionFacts& facts : seen.detection)
    facts.sameOnEveryPlatform = SameOnEveryPlatform(facts);
  report.detection = seen.detection;
  return report;
}
