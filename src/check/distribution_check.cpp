#include "check/distribution_check.h"

#include <set>

#include "check/distribution_files.h"
#include "check/path_findings.h"
#include "common/product_catalogue.h"
#include "common/sized_text.h"
#include "installer/upgrade_decision.h"

namespace {

const char16_t* PlatformName(bool wow64) {
  return wow64 ? u"64-bit Windows" : u"32-bit Windows";
}

// One section of paths; the files they install or read go into `reached`.
ReportSection PathSection(const RealSystem& real, const std::u16string& folder,
                          const std::u16string& title, const std::vector<PathRun>& runs,
                          std::set<std::u16string>& reached) {
  ReportSection section{title, {}};
  for (const PathRun& run : runs) {
    section.lines.push_back(EvaluatePath(real, folder, run));
    if (!run.installed.empty()) reached.insert(run.installed);
    if (!run.versionSource.empty()) reached.insert(run.versionSource);
  }
  return section;
}

bool Offers(const RealSystem& real, const char16_t* productCode) {
  return !ListPackageFiles(real, VersionCheckPattern(productCode)).empty();
}

}  // namespace

CheckReport CheckDistribution(const RealSystem& real, FileReader& files,
                              CertificateReader& certificates) {
  CheckReport report;
  ReadSizedText(
      real.platform, kMaxPath,
      [&](char16_t* buffer, std::uint32_t length) {
        return real.files.ReadCurrentDirectory(length, buffer);
      },
      report.folder);

  // The plug-in is installed by every run; the providers only when the distribution has them.
  const bool csp = Offers(real, kCspProductCode);
  const bool zaz = Offers(real, kZazCspProductCode);
  std::set<std::u16string> reached;
  for (const bool wow64 : {false, true}) {
    const std::u16string platform = PlatformName(wow64);
    report.sections.push_back(PathSection(real, report.folder, u"Plug-in, " + platform,
                                          PluginPaths(real, wow64), reached));
    if (csp) {
      report.sections.push_back(
          PathSection(real, report.folder, u"CSP, " + platform, CspPaths(real, wow64), reached));
    }
    if (zaz) {
      report.sections.push_back(PathSection(real, report.folder, u"ZAZ CSP, " + platform,
                                            ZazCspPaths(real, wow64), reached));
      ReportSection imports{u"ZAZ CSP imports, " + platform, {}};
      CheckImportFiles(ZazImportFiles(real, wow64), files, imports);
      report.sections.push_back(imports);
    }
  }

  ReportSection around{u"Files", {}};
  CheckCertificates(real, certificates, report.folder, around);
  CheckUnreachablePackages(real.files, report.folder, reached, around);
  report.sections.push_back(around);
  return report;
}
