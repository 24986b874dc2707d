#include "check/distribution_files.h"

#include <vector>

#include "actions/root_certificates.h"
#include "check/installer_version.h"
#include "check/package_platform.h"
#include "check/path_findings.h"
#include "common/number_text.h"
#include "common/path_text.h"
#include "common/scoped_handles.h"
#include "installer/folder_walk.h"

namespace {

bool StartsWith(const std::string& bytes, const std::string& prefix) {
  return bytes.compare(0, prefix.size(), prefix) == 0;
}

// `text` as UTF-16LE bytes (ASCII only).
std::string Utf16LeBytes(const char* text) {
  std::string bytes;
  for (; *text != '\0'; ++text) {
    bytes += *text;
    bytes += '\0';
  }
  return bytes;
}

void CheckPresent(const std::u16string& path, const std::u16string& name, FileReader& reader,
                  bool registry, ReportSection& section) {
  ReportLine line;
  line.path = path;
  line.file = name;
  std::string bytes;
  if (name.empty() || !reader.ReadFileBytes(name, bytes)) {
    line.file.clear();
    line.outcome = u"missing: " + name;
    Add(line, FindingId::kImportFileMissing, u"the file is missing or unreadable");
  } else if (registry) {
    const std::u16string problem = RegistryFileProblem(bytes);
    if (!problem.empty()) Add(line, FindingId::kRegistryFileFormat, problem);
  }
  section.lines.push_back(line);
}

// Every entry matching `pattern` but "." and "..".
std::vector<FindEntry> List(FileApi& files, const std::u16string& pattern) {
  std::vector<FindEntry> entries;
  FindEntry entry;
  ScopedFind search(files, files.FindFirst(pattern.c_str(), &entry));
  if (!search.IsOpen()) return entries;
  do {
    if (entry.name != u"." && entry.name != u"..") entries.push_back(entry);
  } while (files.FindNext(search.get(), &entry));
  return entries;
}

bool IsDirectory(const FindEntry& entry) {
  return (entry.attributes & kFileAttributeDirectory) != 0;
}

void AddUnreachable(FileApi& files, const std::u16string& directory, FindingId id,
                    const std::u16string& why, ReportSection& section) {
  for (const FindEntry& entry : List(files, directory + u"*.msi")) {
    if (IsDirectory(entry)) continue;
    ReportLine line;
    line.path = u"package file";
    line.file = directory + entry.name;
    Add(line, id, why);
    section.lines.push_back(line);
  }
}

}  // namespace

std::u16string RegistryFileProblem(const std::string& bytes) {
  const std::string bom = "\xFF\xFE";
  if (StartsWith(bytes, bom + Utf16LeBytes("Windows Registry Editor Version 5.00")) ||
      StartsWith(bytes, bom + Utf16LeBytes("REGEDIT4"))) {
    return {};
  }
  if (StartsWith(bytes, "REGEDIT4")) return {};
  if (StartsWith(bytes, bom)) {
    return u"Unicode, but without the \"Windows Registry Editor Version 5.00\" header";
  }
  if (StartsWith(bytes, "\xEF\xBB\xBF") || StartsWith(bytes, "Windows Registry Editor")) {
    return u"not Unicode with a byte-order mark: regedit reads it as ANSI and finds no "
           u"\"REGEDIT4\" header";
  }
  return u"neither Unicode with a byte-order mark nor ANSI with the \"REGEDIT4\" header: "
         u"regedit does not import it";
}

void CheckImportFiles(const ImportFiles& files, FileReader& reader, ReportSection& section) {
  CheckPresent(u"regedit /s", files.registry, reader, true, section);
  CheckPresent(u"regini", files.acl, reader, false, section);
}

void CheckCertificates(const RealSystem& real, CertificateReader& reader,
                       const std::u16string& folder, ReportSection& section) {
  Simulation simulation(real, kWindowsKinds[0]);
  AddRootCertificates(simulation.sys);
  for (const RecordingCerts::FileOpen& open : simulation.certs.fileOpens) {
    const std::u16string file = RelativeTo(folder, open.path);
    if (!open.opened) {
      ReportLine line;
      line.path = u"certificate file";
      line.file = file;
      Add(line, FindingId::kCertificateFileUnopenable,
          u"crypt32 cannot open it as a certificate file: the launcher skips it");
      section.lines.push_back(line);
      continue;
    }
    const std::vector<CertificateFacts> certificates = reader.ReadCertificates(open.path);
    if (certificates.empty()) {
      ReportLine line;
      line.path = u"certificate file";
      line.file = file;
      Add(line, FindingId::kCertificateFileEmpty, u"the file holds no certificate");
      section.lines.push_back(line);
    }
    for (const CertificateFacts& certificate : certificates) {
      ReportLine line;
      line.path = u"certificate";
      line.file = file;
      line.facts = {{u"subject", certificate.subject},
                    {u"thumbprint", certificate.thumbprint},
                    {u"valid from", certificate.notBefore},
                    {u"to", certificate.notAfter}};
      if (certificate.expired) {
        Add(line, FindingId::kCertificateExpired, u"expired: added to Root all the same");
      }
      if (certificate.notYetValid) {
        Add(line, FindingId::kCertificateNotYetValid, u"not yet valid: added to Root all the same");
      }
      if (!certificate.isCa) {
        Add(line, FindingId::kCertificateNotAuthority,
            u"not a certification authority: added to Root all the same");
      }
      section.lines.push_back(line);
    }
  }
}

void CheckPackageSummaries(const RealSystem& real, const PackageTable& packages,
                           const std::u16string& folder, ReportSection& section) {
  for (const std::u16string& path : ListPackageFiles(real, u"*.msi")) {
    const PackageRow& row = packages.Row(path);
    if (row.summaryError != 0) continue;
    const PackageSummary& summary = row.summary;
    const std::u16string file = RelativeTo(folder, path);
    const PackagePlatform platform = PlatformOfTemplate(summary.templateValue);
    ReportLine line;
    line.path = u"package file";
    line.file = file;
    line.facts = {{u"Page Count", DecimalText(static_cast<std::uint32_t>(summary.pageCount))},
                  {u"Windows Installer", InstallerVersionName(summary.pageCount)}};
    const PackagePlatform named = PlatformOfName(FileNameOf(file));
    if (named != PackagePlatform::kUnknown && platform != named &&
        platform != PackagePlatform::kUnknown) {
      Add(line, FindingId::kNamedForOtherPlatform,
          u"named for " + PlatformName(named) + u" Windows, but its Template \"" +
              summary.templateValue + u"\" names the " + PlatformName(platform) +
              u" platform: the launcher picks packages by name");
    }
    if (const std::u16string problem = PageCountProblem(platform, summary.pageCount);
        !problem.empty()) {
      Add(line, FindingId::kPageCountBelowPlatform, problem);
    }
    if (const std::u16string problem = InstallerVersionProblem(platform, summary.pageCount);
        !problem.empty()) {
      Add(line, FindingId::kPackageNeedsNewerInstaller, problem);
    }
    if (!line.findings.empty()) section.lines.push_back(line);
  }
}

void CheckUnreachablePackages(FileApi& files, const std::u16string& folder,
                              const std::set<std::u16string>& reached,
                              const std::set<std::u16string>& matched, ReportSection& section) {
  AddUnreachable(files, u"", FindingId::kPackageAtTopLevel,
                 u"at the top level: the launcher looks for packages one directory level down",
                 section);
  ForEachFolder(files, [&](const FindEntry& directory) {
    if (directory.name == u"." || directory.name == u"..") return true;
    const std::u16string prefix = directory.name + u"\\";
    if (!IsSearchedFolder(directory)) {
      AddUnreachable(files, prefix, FindingId::kPackageInSkippedFolder,
                     u"in a directory whose name begins with a full stop: the launcher skips it",
                     section);
      return true;
    }
    for (const FindEntry& entry : List(files, prefix + u"*.msi")) {
      const std::u16string path = folder + u"\\" + prefix + entry.name;
      if (IsDirectory(entry) || reached.count(path) != 0) continue;
      ReportLine line;
      line.path = u"package file";
      line.file = prefix + entry.name;
      if (matched.count(path) != 0) {
        Add(line, FindingId::kUnreachedInListingOrder,
            u"no path of the launcher reaches it in this folder's listing order");
      } else {
        Add(line, FindingId::kPackageUnreached, u"no path of the launcher reaches it");
      }
      section.lines.push_back(line);
    }
    for (const FindEntry& inner : List(files, prefix + u"*")) {
      if (!IsDirectory(inner)) continue;
      AddUnreachable(files, prefix + inner.name + u"\\", FindingId::kPackageTwoLevelsDown,
                     u"two levels down: the launcher looks one directory level down only", section);
    }
    return true;
  });
}
