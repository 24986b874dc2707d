#include "check/path_findings.h"

#include <algorithm>
#include <utility>

#include "check/package_platform.h"
#include "common/number_text.h"
#include "common/product_catalogue.h"
#include "installer/installer_access.h"
#include "installer/package_lookup.h"
#include "installer/upgrade_decision.h"

namespace {

void Add(ReportLine& line, Severity severity, const char* id, const std::u16string& text) {
  line.findings.push_back({severity, id, text});
}

// Reads the facts of `path` into `line`; false (with an error) when the package is unreadable.
bool AddFacts(const RealSystem& real, const std::u16string& path, ReportLine& line,
              PackageFacts& facts) {
  const std::uint32_t error = ReadPackageFacts(real.packages, path, facts);
  if (error != 0) {
    Add(line, Severity::kError, "package-unreadable",
        u"the package cannot be read: " + DecimalText(error));
    return false;
  }
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
  const std::u16string where =
      u" on " + WindowsName(run.wow64) + u" with " + DecimalText(kErrorPlatformUnsupported);
  if (refusal.atInstall) return u"msiexec refuses this " + platform + u" package" + where;
  std::u16string text = u"the version check opens " +
                        (file.empty() ? u"that " + platform : file + u", an " + platform) +
                        u" package, which MsiOpenPackageEx refuses" + where;
  if (!run.messages.empty()) text += u": message " + DecimalText(run.messages.back());
  return text;
}

// The finding of a path that ends with an error: a package refused for its platform, or any
// other failure.
const char* EndingId(const PathRun& run) {
  return EndedByRefusal(run) ? "platform-refused" : "path-fails";
}

// How `other` ended where it ends differently from `run`; empty where it does not. Another file
// installed is not an ending of its own: it is another match of the install pattern, which the
// pattern's own warning names.
std::u16string DifferentEnding(const RealSystem& real, const std::u16string& folder,
                               const PathRun& run, const PathRun& other) {
  if (other.result == run.result && other.installed.empty() == run.installed.empty()) return {};
  if (EndedByRefusal(other)) {
    return RefusalText(u"", other) + u", and " + EndsWith(other.result);
  }
  if (other.result != 0) return EndsWith(other.result);
  PackageFacts source;
  ReadPackageFacts(real.packages, other.versionSource, source);
  const std::u16string compared = u"the version compared is " + source.version + u": ";
  if (!other.installed.empty()) {
    return compared + u"the launcher installs " + RelativeTo(folder, other.installed);
  }
  return compared + u"the " + ProductName(run.productCode) + u" is left as it is";
}

// What depends on the listing order of the medium: a pattern with more than one match, and
// each package of the version check that ends the path differently when it is met first.
void CheckListingOrder(const RealSystem& real, const std::u16string& folder, const PathRun& run,
                       ReportLine& line) {
  const std::u16string versionPattern = VersionCheckPattern(run.productCode);
  for (const std::u16string& pattern : run.lookups) {
    if (pattern == versionPattern) continue;
    const std::vector<std::u16string> matches = ListPackageFiles(real, pattern);
    if (matches.size() < 2) continue;
    std::vector<std::u16string> names;
    for (const std::u16string& match : matches) names.push_back(RelativeTo(folder, match));
    Add(line, Severity::kWarning, "pattern-matches-several-files",
        u"\"" + pattern + u"\" matches " + DecimalText(static_cast<std::uint32_t>(names.size())) +
            u" files: " + Listed(names, u"and") +
            u"; which one the launcher takes depends on the listing order of the medium it runs "
            u"from");
  }

  if (run.versionSource.empty() || run.result != 0) return;
  // Each different ending, in the order first met, with the files that lead to it.
  std::vector<std::pair<std::u16string, std::vector<std::u16string>>> endings;
  for (const std::u16string& match : ListPackageFiles(real, versionPattern)) {
    if (match == run.versionSource) continue;
    const std::u16string ending = DifferentEnding(real, folder, run, Rerun(real, run, match));
    if (ending.empty()) continue;
    auto it = std::find_if(endings.begin(), endings.end(),
                           [&](const auto& known) { return known.first == ending; });
    if (it == endings.end()) it = endings.insert(endings.end(), {ending, {}});
    it->second.push_back(RelativeTo(folder, match));
  }
  for (const auto& [ending, files] : endings) {
    Add(line, Severity::kWarning, "listing-order-changes-ending",
        u"where the medium lists " + Listed(files, u"or") + u" first, " + ending);
  }
}

void CheckConfiguration(const RealSystem& real, const PathRun& run, ReportLine& line) {
  if (run.level.empty() && run.language.empty()) return;
  PackageConfiguration found;
  if (!ReadConfiguration(real, run.productCode, run.installed, found)) return;
  if (found.level == run.level && found.language == run.language) return;
  Add(line, Severity::kError, "configuration-differs",
      u"the path asks for " + run.level + run.language + u", the package is " + found.level +
          found.language);
}

void CheckVersionSource(const RealSystem& real, const std::u16string& folder, const PathRun& run,
                        const PackageFacts& installed, ReportLine& line) {
  if (run.versionSource.empty() || run.versionSource == run.installed) return;
  PackageFacts source;
  if (ReadPackageFacts(real.packages, run.versionSource, source) != 0) return;
  line.facts.push_back({u"version read from", RelativeTo(folder, run.versionSource)});
  if (source.version == installed.version) return;
  Add(line, Severity::kWarning, "version-read-from-other-package",
      u"the version compared is " + source.version + u" of " +
          RelativeTo(folder, run.versionSource) + u", the package installed is " +
          installed.version);
}

}  // namespace

std::u16string ProductName(const std::u16string& productCode) {
  const Product* product = FindProduct(productCode);
  return product != nullptr ? product->name : productCode;
}

std::uint32_t ReadPackageFacts(PackageApi& packages, const std::u16string& path,
                               PackageFacts& facts) {
  std::uint32_t result = 0;
  const PackageSession session(packages, OpenPackage(packages, path, &result));
  const std::pair<const char16_t*, std::u16string*> properties[] = {
      {u"ProductCode", &facts.productCode},
      {u"ProductVersion", &facts.version},
      {u"ProductLanguage", &facts.language},
      {u"ISReleaseFlags", &facts.releaseFlags},
  };
  for (const auto& [name, value] : properties) {
    if (result == 0) result = ReadPackageProperty(session, name, *value);
  }
  return result;
}

std::u16string RelativeTo(const std::u16string& folder, const std::u16string& path) {
  const std::u16string prefix = folder + u"\\";
  return path.rfind(prefix, 0) == 0 ? path.substr(prefix.size()) : path;
}

ReportLine EvaluatePath(const RealSystem& real, const std::u16string& folder, const PathRun& run) {
  ReportLine line;
  line.path = run.label;
  if (run.installed.empty()) {
    if (run.result == kErrorNoMoreFiles) {
      line.outcome = u"nothing found: " + DecimalText(run.result);
      Add(line, Severity::kError, "package-not-found",
          u"no file matches \"" + run.pattern + u"\" one level down");
    } else if (run.result != 0) {
      line.outcome = u"ends with " + DecimalText(run.result);
      Add(line, Severity::kError, EndingId(run),
          !EndedByRefusal(run)
              ? EndsWith(run.result)
              : RefusalText(RelativeTo(folder, EndingRefusal(run.refusals).path), run) + u", and " +
                    EndsWith(run.result));
    } else {
      line.outcome = u"nothing installed";
      Add(line, Severity::kWarning, "package-not-newer",
          u"the package found is not newer than the installed version: the " +
              ProductName(run.productCode) + u" is left as it is");
    }
    CheckListingOrder(real, folder, run, line);
    return line;
  }

  line.file = RelativeTo(folder, run.installed);
  PackageFacts facts;
  if (!AddFacts(real, run.installed, line, facts)) return line;
  if (facts.productCode != run.productCode) {
    Add(line, Severity::kError, "foreign-product-code",
        u"product code " + facts.productCode + u" is not the " + ProductName(run.productCode) +
            u"'s " + run.productCode + u": the launcher installs it all the same");
  }
  if (run.result != 0) {
    Add(line, Severity::kError, EndingId(run),
        (!EndedByRefusal(run) ? u"" : RefusalText(u"", run) + u", and ") + EndsWith(run.result));
  }
  CheckConfiguration(real, run, line);
  CheckVersionSource(real, folder, run, facts, line);
  CheckListingOrder(real, folder, run, line);
  return line;
}
