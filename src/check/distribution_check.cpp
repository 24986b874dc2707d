#include "check/distribution_check.h"

#include <algorithm>
#include <set>

#include "actions/provider_steps.h"
#include "check/distribution_files.h"
#include "check/launcher_paths.h"
#include "check/listing_cache.h"
#include "check/package_cache.h"
#include "check/package_platform.h"
#include "check/path_findings.h"
#include "check/platform_packages.h"
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
  const std::u16string platform = run.windows->name;
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

bool Offers(const RealSystem& real, const Product& product) {
  return !ListPackageFiles(real, product.versionPattern).empty();
}

}  // namespace

int CheckDistribution(const RealSystem& given, FileReader& files, CertificateReader& certificates,
                      CheckReport& report, std::u16string& unjudged) {
  // Every simulated run reads the same folders and package files: each is listed, opened and
  // read once.
  ListingCache listings(given.files);
  PackageCache opened(given);
  const RealSystem real{opened, listings, given.certs, given.platform, opened};
  report = CheckReport();
  ReadCurrentDirectoryText(real.files, report.folder);
  const PackageTable packages(real);

  // In report order: the plug-in, installed by every run, then the provider steps that the
  // distribution has packages of, each with a section of its settings imports; per kind of
  // Windows simulated.
  std::vector<const ProviderStep*> checked;
  std::vector<const Product*> products{&kPlugin};
  for (const ProviderStep& step : kProviderSteps) {
    if (!Offers(real, step.product)) continue;
    checked.push_back(&step);
    products.push_back(&step.product);
  }
  PathsSeen seen;
  for (const WindowsKind& windows : kWindowsKinds) {
    if (!Simulated(real, products, windows)) continue;
    const std::u16string platform = windows.name;
    const auto addPaths = [&](const std::u16string& title, const std::vector<PathRun>& runs) {
      ReportSection section{title, {}};
      if (PathSection(real, packages, report.folder, runs, section, seen, unjudged) != 0) {
        return false;
      }
      report.sections.push_back(section);
      return true;
    };
    if (!addPaths(u"Plug-in, " + platform, PluginPaths(real, windows))) return kCheckBadUsage;
    for (const ProviderStep* step : checked) {
      const std::u16string name = step->product.name;
      if (!addPaths(name + u", " + platform, ProviderPaths(real, *step, windows))) {
        return kCheckBadUsage;
      }
      if (step->imports == nullptr) continue;
      ReportSection imports{name + u" imports, " + platform, {}};
      CheckImportFiles(ImportFilesOf(real, *step, windows), files, imports);
      report.sections.push_back(imports);
    }
  }

  ReportSection around{u"Files", {}};
  CheckCertificates(real, certificates, report.folder, around);
  CheckPackageSummaries(real, packages, report.folder, around);
  CheckPlatformPackages(real, products, around);
  CheckUnreachablePackages(real.files, report.folder, seen.reached, seen.matched, around);
  report.sections.push_back(around);
  for (DetectionFacts& facts : seen.detection)
    facts.sameOnEveryPlatform = SameOnEveryPlatform(facts);
  report.detection = seen.detection;
  return 0;
}
