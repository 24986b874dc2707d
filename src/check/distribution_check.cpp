#include "check/distribution_check.h"

#include <algorithm>
#include <set>

#include "actions/provider_steps.h"
#include "check/distribution_files.h"
#include "check/launcher_paths.h"
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

bool Offers(const RealSystem& real, const Product& product) {
  return !ListPackageFiles(real, product.versionPattern).empty();
}

}  // namespace

CheckReport CheckDistribution(const RealSystem& real, FileReader& files,
                              CertificateReader& certificates) {
  CheckReport report;
  ReadCurrentDirectoryText(real.files, report.folder);

  // In report order: the plug-in, installed by every run, then the provider steps that the
  // distribution has packages of, each with a section of its settings imports.
  std::vector<const ProviderStep*> checked;
  for (const ProviderStep& step : kProviderSteps) {
    if (Offers(real, step.product)) checked.push_back(&step);
  }
  PathsSeen seen;
  for (const bool wow64 : {false, true}) {
    const std::u16string platform = WindowsName(wow64);
    report.sections.push_back(
        PathSection(real, report.folder, u"Plug-in, " + platform, PluginPaths(real, wow64), seen));
    for (const ProviderStep* step : checked) {
      const std::u16string name = step->product.name;
      report.sections.push_back(PathSection(real, report.folder, name + u", " + platform,
                                            ProviderPaths(real, *step, wow64), seen));
      if (step->imports == nullptr) continue;
      ReportSection imports{name + u" imports, " + platform, {}};
      CheckImportFiles(ImportFilesOf(real, *step, wow64), files, imports);
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
