#include "check/path_findings.h"

#include <algorithm>
#include <utility>

#include "check/package_platform.h"
#include "common/number_text.h"
#include "common/product_catalogue.h"
#include "installer/package_lookup.h"
#include "installer/upgrade_decision.h"

namespace {

// The facts of `row` into `line`; false (with an error) when the package is unreadable.
bool AddFacts(const PackageRow& row, ReportLine& line) {
  if (row.factsError != 0) {
    Add(line, FindingId::kPackageUnreadable,
        u"the package cannot be read: " + DecimalText(row.factsError));
    return false;
  }
  const PackageFacts& facts = row.facts;
  line.facts = {{u"product code", facts.productCode},
                {u"version", facts.version},
                {u"language", facts.language}};
  if (!facts.releaseFlags.empty()) line.facts.push_back({u"release flags", facts.releaseFlags});
  return true;
}

// "a", "a or b", "a, b or c".
std::u16string Listed(const std::vector<std::u16string>& names, const char16_t* last) {
  std::u16string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? std::u16string(u" ") + last + u" " : u", ";
    text += names[i];
  }
  return text;
}

std::u16string EndsWith(std::uint32_t result) {
  return u"the launcher ends this path with " + DecimalText(result);
}

// The refusal that ended a path: msiexec's, or where the version check found every match
// refused, the first of them.
const PlatformRefusal& EndingRefusal(const std::vector<PlatformRefusal>& refusals) {
  return refusals.back().atInstall ? refusals.back() : refusals.front();
}

// Whether the path `run` ended at a package refused as one for another platform.
bool EndedByRefusal(const PathRun& run) {
  return run.result == kErrorPlatformUnsupported && !run.refusals.empty();
}

// Why the path `run` ended at a package refused as one for another platform; `file` names it
// where it is not the file of the line.
std::u16string RefusalText(const std::u16string& file, const PathRun& run) {
  const PlatformRefusal& refusal = EndingRefusal(run.refusals);
  const std::u16string platform = PlatformName(refusal.platform);
  const std::u16string where = u" on " + std::u16string(run.windows->name) + u" with " +
                               DecimalText(kErrorPlatformUnsupported);
  if (refusal.atInstall) return u"msiexec refuses this " + platform + u" package" + where;
  std::u16string text = u"the version check opens " +
                        (file.empty() ? u"that " + platform : file + u", an " + platform) +
                        u" package, which MsiOpenPackageEx refuses" + where;
  if (!run.messages.empty()) text += u": message " + DecimalText(run.messages.back());
  return text;
}

// The finding of a path that ends with an error: a package refused for its platform, or any
// other failure.
FindingId EndingId(const PathRun& run) {
  return EndedByRefusal(run) ? FindingId::kPlatformRefused : FindingId::kPathFails;
}

// How `other` ended where it ends differently from `run`; empty where it does not. Another file
// installed is not an ending of its own: it is another match of the install pattern, which the
// pattern's own warning names.
std::u16string DifferentEnding(const PackageTable& packages, const std::u16string& folder,
                               const PathRun& run, const PathRun& other) {
  if (other.result == run.result && other.installed.empty() == run.installed.empty()) return {};
  if (EndedByRefusal(other)) {
    return RefusalText(u"", other) + u", and " + EndsWith(other.result);
  }
  if (other.result != 0) return EndsWith(other.result);
  const std::u16string compared =
      u"the version compared is " + packages.Row(other.versionSource).facts.version + u": ";
  if (!other.installed.empty()) {
    return compared + u"the launcher installs " + RelativeTo(folder, other.installed);
  }
  return compared + u"the " + ProductName(run.productCode) + u" is left as it is";
}

// What depends on the listing order of the medium: a pattern with more than one match, and
// each package of the version check that ends the path differently when it is met first.
// 0, or kCheckBadUsage where the path installs more than one package when a file is met first.
int CheckListingOrder(const RealSystem& real, const PackageTable& packages,
                      const std::u16string& folder, const PathRun& run, ReportLine& line) {
  const std::u16string versionPattern = VersionCheckPattern(run.productCode);
  for (const std::u16string& pattern : run.lookups) {
    if (pattern == versionPattern) continue;
    const std::vector<std::u16string> matches = ListPackageFiles(real, pattern);
    if (matches.size() < 2) continue;
    std::vector<std::u16string> names;
    for (const std::u16string& match : matches) names.push_back(RelativeTo(folder, match));
    Add(line, FindingId::kPatternMatchesSeveralFiles,
        u"\"" + pattern + u"\" matches " + DecimalText(static_cast<std::uint32_t>(names.size())) +
            u" files: " + Listed(names, u"and") +
            u"; which one the launcher takes depends on the listing order of the medium it runs "
            u"from");
  }

  if (run.versionSource.empty() || run.result != 0) return 0;
  // Each different ending, in the order first met, with the files that lead to it.
  std::vector<std::pair<std::u16string, std::vector<std::u16string>>> endings;
  for (const std::u16string& match : ListPackageFiles(real, versionPattern)) {
    if (match == run.versionSource) continue;
    const PathRun other = Rerun(real, run, match);
    if (other.installsSeveral) return kCheckBadUsage;
    const std::u16string ending = DifferentEnding(packages, folder, run, other);
    if (ending.empty()) continue;
    auto it = std::find_if(endings.begin(), endings.end(),
                           [&](const auto& known) { return known.first == ending; });
    if (it == endings.end()) it = endings.insert(endings.end(), {ending, {}});
    it->second.push_back(RelativeTo(folder, match));
  }
  for (const auto& [ending, files] : endings) {
    Add(line, FindingId::kListingOrderChangesEnding,
        u"where the medium lists " + Listed(files, u"or") + u" first, " + ending);
  }
  return 0;
}

void CheckConfiguration(const RealSystem& real, const PathRun& run, ReportLine& line) {
  if (run.level.empty() && run.language.empty()) return;
  PackageConfiguration found;
  if (!ReadConfiguration(real, run.productCode, run.installed, found)) return;
  if (found.level == run.level && found.language == run.language) return;
  Add(line, FindingId::kConfigurationDiffers,
      u"the path asks for " + run.level + run.language + u", the package is " + found.level +
          found.language);
}

void CheckVersionSource(const PackageTable& packages, const std::u16string& folder,
                        const PathRun& run, const PackageFacts& installed, ReportLine& line) {
  if (run.versionSource.empty() || run.versionSource == run.installed) return;
  const PackageRow& row = packages.Row(run.versionSource);
  if (row.factsError != 0) return;
  const PackageFacts& source = row.facts;
  line.facts.push_back({u"version read from", RelativeTo(folder, run.versionSource)});
  if (source.version == installed.version) return;
  Add(line, FindingId::kVersionFromOtherPackage,
      u"the version compared is " + source.version + u" of " +
          RelativeTo(folder, run.versionSource) + u", the package installed is " +
          installed.version);
}

}  // namespace

std::u16string ProductName(const std::u16string& productCode) {
  const Product* product = FindProduct(productCode);
  return product != nullptr ? product->name : productCode;
}

std::u16string RelativeTo(const std::u16string& folder, const std::u16string& path) {
  const std::u16string prefix = folder + u"\\";
  return path.rfind(prefix, 0) == 0 ? path.substr(prefix.size()) : path;
}

int EvaluatePath(const RealSystem& real, const PackageTable& packages, const std::u16string& folder,
                 const PathRun& run, ReportLine& line) {
  if (run.installsSeveral) return kCheckBadUsage;
  line = ReportLine();
  line.path = run.label;
  if (run.installed.empty()) {
    if (run.result == kErrorNoMoreFiles) {
      line.outcome = u"nothing found: " + DecimalText(run.result);
      Add(line, FindingId::kPackageNotFound,
          u"no file matches \"" + run.pattern + u"\" one level down");
    } else if (run.result != 0) {
      line.outcome = u"ends with " + DecimalText(run.result);
      Add(line, EndingId(run),
          !EndedByRefusal(run)
              ? EndsWith(run.result)
              : RefusalText(RelativeTo(folder, EndingRefusal(run.refusals).path), run) + u", and " +
                    EndsWith(run.result));
    } else {
      line.outcome = u"nothing installed";
      Add(line, FindingId::kPackageNotNewer,
          u"the package found is not newer than the installed version: the " +
              ProductName(run.productCode) + u" is left as it is");
    }
    return CheckListingOrder(real, packages, folder, run, line);
  }

  line.file = RelativeTo(folder, run.installed);
  const PackageRow& installed = packages.Row(run.installed);
  if (!AddFacts(installed, line)) return 0;
  const PackageFacts& facts = installed.facts;
  if (facts.productCode != run.productCode) {
    Add(line, FindingId::kForeignProductCode,
        u"product code " + facts.productCode + u" is not the " + ProductName(run.productCode) +
            u"'s " + run.productCode + u": the launcher installs it all the same");
  }
  if (run.result != 0) {
    Add(line, EndingId(run),
        (!EndedByRefusal(run) ? u"" : RefusalText(u"", run) + u", and ") + EndsWith(run.result));
  }
  CheckConfiguration(real, run, line);
  CheckVersionSource(packages, folder, run, facts, line);
  return CheckListingOrder(real, packages, folder, run, line);
}
