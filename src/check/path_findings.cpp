#include "check/path_findings.h"

#include "common/number_text.h"
#include "common/product_catalogue.h"
#include "installer/installer_access.h"
#include "installer/package_lookup.h"

namespace {

std::u16string ProductName(const std::u16string& productCode) {
  if (productCode == kPluginProductCode) return u"plug-in";
  if (productCode == kCspProductCode) return u"CSP";
  if (productCode == kZazCspProductCode) return u"ZAZ CSP";
  return productCode;
}

void Add(ReportLine& line, Severity severity, const std::u16string& text) {
  line.findings.push_back({severity, text});
}

// Reads the facts of `path` into `line`; false (with an error) when the package is unreadable.
bool AddFacts(const RealSystem& real, const std::u16string& path, ReportLine& line,
              PackageFacts& facts) {
  const std::uint32_t error = ReadPackageFacts(real.packages, path, facts);
  if (error != 0) {
    Add(line, Severity::kError, u"the package cannot be read: " + DecimalText(error));
    return false;
  }
  line.facts = {{u"product code", facts.productCode},
                {u"version", facts.version},
                {u"language", facts.language}};
  if (!facts.releaseFlags.empty()) line.facts.push_back({u"release flags", facts.releaseFlags});
  return true;
}

void CheckConfiguration(const RealSystem& real, const PathRun& run, ReportLine& line) {
  if (run.level.empty() && run.language.empty()) return;
  PackageConfiguration found;
  if (!ReadConfiguration(real, run.productCode, run.installed, found)) return;
  if (found.level == run.level && found.language == run.language) return;
  Add(line, Severity::kError,
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
  Add(line, Severity::kWarning,
      u"the version compared is " + source.version + u" of " +
          RelativeTo(folder, run.versionSource) + u", the package installed is " +
          installed.version);
}

}  // namespace

std::uint32_t ReadPackageFacts(InstallerApi& packages, const std::u16string& path,
                               PackageFacts& facts) {
  PackageSession session(packages);
  std::uint32_t result = OpenPackage(session, path);
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
      Add(line, Severity::kError, u"no file matches \"" + run.pattern + u"\" one level down");
    } else if (run.result != 0) {
      line.outcome = u"ends with " + DecimalText(run.result);
      Add(line, Severity::kError, u"the launcher ends this path with " + DecimalText(run.result));
    } else {
      line.outcome = u"nothing installed";
      Add(line, Severity::kWarning,
          u"the package found is not newer than the installed version: the " +
              ProductName(run.productCode) + u" is left as it is");
    }
    return line;
  }

  line.file = RelativeTo(folder, run.installed);
  PackageFacts facts;
  if (!AddFacts(real, run.installed, line, facts)) return line;
  if (facts.productCode != run.productCode) {
    Add(line, Severity::kError,
        u"product code " + facts.productCode + u" is not the " + ProductName(run.productCode) +
            u"'s " + run.productCode + u": the launcher installs it all the same");
  }
  CheckConfiguration(real, run, line);
  CheckVersionSource(real, folder, run, facts, line);
  return line;
}
