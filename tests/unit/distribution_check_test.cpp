#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "check/distribution_files.h"
#include "check/launcher_paths.h"
#include "check/path_findings.h"
#include "common/product_catalogue.h"
#include "fakes/fake_system.h"

namespace {

constexpr char16_t kForeignCode[] = u"{00000000-1111-2222-3333-444444444444}";

// A distribution in C:\dist with packages whose properties the fake installer serves.
class DistributionTest : public ::testing::Test {
 protected:
  void AddPackage(const std::u16string& name, const std::u16string& code,
                  const std::u16string& version, const std::u16string& language,
                  const std::u16string& flags) {
    const std::u16string path = u"C:\\dist\\" + name;
    fake.files.AddFile(path);
    fake.installer.packages[path] = {{u"ProductCode", code},
                                     {u"ProductVersion", version},
                                     {u"ProductLanguage", language},
                                     {u"ISReleaseFlags", flags}};
  }

  FakeSystem fake;
  RealSystem real{fake.installer, fake.files, fake.certs, fake.platform};
};

struct PathRow {
  std::u16string label;
  std::u16string installed;  // relative; empty when nothing is found
  std::uint32_t result;
};

// The CSP paths on 64-bit Windows: the configurations come from the packages' own properties,
// the file of each path from the launcher's own lookup. The kc1 English package lacks the
// blank that an upgrade's pattern needs.
TEST_F(DistributionTest, CspPathsFindWhatTheLauncherFinds) {
  AddPackage(u"csp\\csp-win32- kc2-rus.msi", kCspProductCode, u"3.6.7000", u"1049", u"qxrmcsp");
  AddPackage(u"csp\\csp-x64- kc2-rus.msi", kCspProductCode, u"3.6.7000", u"1049", u"qxrmcsp");
  AddPackage(u"csp\\csp-x64-kc1-eng.msi", kCspProductCode, u"3.6.7000", u"1033", u"kc1");

  const std::vector<PathRow> expected = {
      {u"fresh installation, -csp", u"csp\\csp-x64- kc2-rus.msi", 0},
      {u"fresh installation, -csp -KC kc2 -Lang rus", u"csp\\csp-x64- kc2-rus.msi", 0},
      {u"fresh installation, -csp -selectDlg, kc2* rus* chosen", u"csp\\csp-x64- kc2-rus.msi", 0},
      {u"upgrade of an installed kc2* rus* CSP 3.6.5365", u"csp\\csp-x64- kc2-rus.msi", 0},
      {u"takeover of a kc2* rus* CSP installed under the second product code",
       u"csp\\csp-x64- kc2-rus.msi", 0},
      {u"fresh installation, -csp -KC kc1 -Lang eng", u"csp\\csp-x64-kc1-eng.msi", 0},
      {u"fresh installation, -csp -selectDlg, kc1* eng* chosen", u"csp\\csp-x64-kc1-eng.msi", 0},
      {u"upgrade of an installed kc1* eng* CSP 3.6.5365", u"", 232},
      {u"takeover of a kc1* eng* CSP installed under the second product code", u"", 232},
  };
  const std::vector<PathRun> runs = CspPaths(real, true);
  ASSERT_EQ(expected.size(), runs.size());
  for (std::size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(Utf8(expected[i].label));
    EXPECT_EQ(expected[i].label, runs[i].label);
    EXPECT_EQ(expected[i].installed, RelativeTo(u"C:\\dist", runs[i].installed));
    EXPECT_EQ(expected[i].result, runs[i].result);
  }
  EXPECT_EQ(u"csp*x64* kc1*eng*", runs[7].pattern);
  // Only the upgrade compares versions, with the first "csp*.msi".
  EXPECT_EQ(u"C:\\dist\\csp\\csp-win32- kc2-rus.msi", runs[3].versionSource);
  EXPECT_EQ(u"", runs[4].versionSource);
}

// The plug-in's version is compared with the first "zirelcom*.msi", which on 64-bit Windows is
// the win32 package; the ZAZ CSP upgrade keeps the installed language.
TEST_F(DistributionTest, PluginAndZazPathsOn64BitWindows) {
  AddPackage(u"p\\zirelcom-win32.msi", kPluginProductCode, u"3.0.0", u"1049", u"");
  AddPackage(u"p\\zirelcom-x64.msi", kPluginProductCode, u"1.0.0", u"1049", u"");
  AddPackage(u"u\\ucsp-x64-eng.msi", kZazCspProductCode, u"4.0", u"1033", u"");
  AddPackage(u"u\\ucsp-x64-rus.msi", kZazCspProductCode, u"4.0", u"1049", u"");

  const std::vector<PathRun> plugin = PluginPaths(real, true);
  ASSERT_EQ(2u, plugin.size());
  EXPECT_EQ(u"C:\\dist\\p\\zirelcom-x64.msi", plugin[0].installed);
  EXPECT_EQ(u"", plugin[0].versionSource);
  EXPECT_EQ(u"C:\\dist\\p\\zirelcom-x64.msi", plugin[1].installed);
  EXPECT_EQ(u"C:\\dist\\p\\zirelcom-win32.msi", plugin[1].versionSource);

  const std::vector<PathRun> zaz = ZazCspPaths(real, true);
  ASSERT_EQ(3u, zaz.size());
  EXPECT_EQ(u"C:\\dist\\u\\ucsp-x64-eng.msi", zaz[0].installed);
  EXPECT_EQ(u"upgrade of an installed rus* ZAZ CSP", zaz[2].label);
  EXPECT_EQ(u"C:\\dist\\u\\ucsp-x64-rus.msi", zaz[2].installed);
  EXPECT_EQ(u"rus*", zaz[2].language);

  const ImportFiles files = ZazImportFiles(real, true);
  EXPECT_EQ(u"ZAZ_x64_2.reg", files.registry);
  EXPECT_EQ(u"ZAZ_acl_x64.acl", files.acl);
  EXPECT_TRUE(fake.processes.started.empty());
}

struct RuleRow {
  const char* name;
  PathRun run;
  std::u16string file;
  std::u16string outcome;
  std::vector<Severity> severities;
  std::u16string firstText;  // the beginning of the first finding
};

TEST_F(DistributionTest, AgreementRules) {
  AddPackage(u"p\\zirelcom-win32.msi", kPluginProductCode, u"3.0.0", u"1049", u"");
  AddPackage(u"p\\zirelcom-x64.msi", kPluginProductCode, u"1.0.0", u"1049", u"");
  AddPackage(u"p\\zirelcom-other.msi", kForeignCode, u"9.0", u"1049", u"");
  AddPackage(u"c\\csp-x64- kc1-eng.msi", kCspProductCode, u"3.6.7000", u"1033", u"qxcspi");
  const std::u16string win32 = u"C:\\dist\\p\\zirelcom-win32.msi";
  const std::u16string x64 = u"C:\\dist\\p\\zirelcom-x64.msi";
  const std::u16string kc1Eng = u"C:\\dist\\c\\csp-x64- kc1-eng.msi";
  using S = Severity;

  const std::vector<RuleRow> rows = {
      {"clean",
       {u"p", kPluginProductCode, u"", u"", x64, x64, u"", 0},
       u"p\\zirelcom-x64.msi",
       u"",
       {},
       u""},
      {"foreign product code",
       {u"p", kPluginProductCode, u"", u"", u"C:\\dist\\p\\zirelcom-other.msi", u"", u"", 0},
       u"p\\zirelcom-other.msi",
       u"",
       {S::kError},
       u"product code {00000000-1111-2222-3333-444444444444} is not the plug-in's"},
      {"version read from another package",
       {u"p", kPluginProductCode, u"", u"", x64, win32, u"", 0},
       u"p\\zirelcom-x64.msi",
       u"",
       {S::kWarning},
       u"the version compared is 3.0.0 of p\\zirelcom-win32.msi"},
      {"other level and language than asked",
       {u"c", kCspProductCode, u"kc2*", u"rus*", kc1Eng, u"", u"", 0},
       u"c\\csp-x64- kc1-eng.msi",
       u"",
       {S::kError},
       u"the path asks for kc2*rus*, the package is kc1*eng*"},
      {"asked level and language",
       {u"c", kCspProductCode, u"kc1*", u"eng*", kc1Eng, u"", u"", 0},
       u"c\\csp-x64- kc1-eng.msi",
       u"",
       {},
       u""},
      {"nothing found",
       {u"c", kCspProductCode, u"kc1*", u"eng*", u"", u"", u"csp*x64* kc1*eng*", 232},
       u"",
       u"nothing found: 232",
       {S::kError},
       u"no file matches \"csp*x64* kc1*eng*\""},
      {"upgrade never happens",
       {u"c", kCspProductCode, u"", u"", u"", kc1Eng, u"", 0},
       u"",
       u"nothing installed",
       {S::kWarning},
       u"the package found is not newer"},
      {"launcher stops",
       {u"c", kCspProductCode, u"", u"", u"", u"", u"", 1619},
       u"",
       u"ends with 1619",
       {S::kError},
       u"the launcher ends this path with 1619"},
  };
  for (const RuleRow& row : rows) {
    SCOPED_TRACE(row.name);
    const ReportLine line = EvaluatePath(real, u"C:\\dist", row.run);
    EXPECT_EQ(row.file, line.file);
    EXPECT_EQ(row.outcome, line.outcome);
    std::vector<Severity> severities;
    for (const Finding& finding : line.findings) severities.push_back(finding.severity);
    EXPECT_EQ(row.severities, severities);
    if (!line.findings.empty()) {
      EXPECT_EQ(row.firstText, line.findings[0].text.substr(0, row.firstText.size()));
    }
  }
}

// Certificates as a test decides them, by file.
class ScriptedCertificates : public CertificateReader {
 public:
  std::map<std::u16string, std::vector<CertificateFacts>> files;
  std::vector<CertificateFacts> ReadCertificates(const std::u16string& path) override {
    return files[path];
  }
};

// The files the launcher would open, as it opens them; each certificate judged on its own.
TEST_F(DistributionTest, CertificateFindings) {
  const std::vector<std::u16string> names = {u"a-junk.cer", u"b-roots.p7b", u"c-empty.crt"};
  for (const std::u16string& name : names) fake.files.AddFile(u"C:\\dist\\" + name);
  fake.certs.files[u"C:\\dist\\b-roots.p7b"] = {"r1", "r2", "r3", "r4"};
  fake.certs.files[u"C:\\dist\\c-empty.crt"] = {};
  ScriptedCertificates reader;
  CertificateFacts good{u"Good", u"AA", u"2020-01-01", u"2040-01-01", false, false, true};
  CertificateFacts expired = good, early = good, leaf = good;
  expired.expired = true;
  early.notYetValid = true;
  leaf.isCa = false;
  reader.files[u"C:\\dist\\b-roots.p7b"] = {good, expired, early, leaf};

  ReportSection section;
  CheckCertificates(real, reader, u"C:\\dist", section);
  std::vector<std::pair<std::u16string, std::u16string>> found;  // file, first finding
  for (const ReportLine& line : section.lines) {
    found.push_back({line.file, line.findings.empty() ? u"" : line.findings[0].text});
    EXPECT_LE(line.findings.size(), 1u);
  }
  const std::vector<std::pair<std::u16string, std::u16string>> expected = {
      {u"a-junk.cer", u"crypt32 cannot open it as a certificate file: the launcher skips it"},
      {u"b-roots.p7b", u""},
      {u"b-roots.p7b", u"expired: added to Root all the same"},
      {u"b-roots.p7b", u"not yet valid: added to Root all the same"},
      {u"b-roots.p7b", u"not a certification authority: added to Root all the same"},
      {u"c-empty.crt", u"the file holds no certificate"},
  };
  EXPECT_EQ(expected, found);
  EXPECT_EQ(0, fake.certs.rootOpens);
}

// Package files no lookup reaches; a package some path installs is not reported.
TEST_F(DistributionTest, UnreachablePackages) {
  for (const char16_t* name : {u"top.msi", u".hidden\\csp-x64- kc2-rus.msi", u"p\\deep\\z.msi",
                               u"p\\zirelcom-x64.msi", u"p\\spare.msi"}) {
    fake.files.AddFile(u"C:\\dist\\" + std::u16string(name));
  }
  ReportSection section;
  CheckUnreachablePackages(fake.files, u"C:\\dist", {u"C:\\dist\\p\\zirelcom-x64.msi"}, section);
  std::vector<std::pair<std::u16string, std::u16string>> found;
  for (const ReportLine& line : section.lines) {
    ASSERT_EQ(1u, line.findings.size());
    EXPECT_EQ(Severity::kWarning, line.findings[0].severity);
    found.push_back({line.file, line.findings[0].text.substr(0, 12)});
  }
  const std::vector<std::pair<std::u16string, std::u16string>> expected = {
      {u"top.msi", u"at the top l"},
      {u".hidden\\csp-x64- kc2-rus.msi", u"in a directo"},
      {u"p\\spare.msi", u"no path of t"},
      {u"p\\deep\\z.msi", u"two levels d"},
  };
  EXPECT_EQ(expected, found);
}

TEST(RegistryFileTest, AcceptsWhatRegeditImports) {
  const std::string bom = "\xFF\xFE";
  auto utf16 = [](const std::string& text) {
    std::string bytes;
    for (const char c : text) bytes += std::string(1, c) + '\0';
    return bytes;
  };
  const struct {
    const char* name;
    std::string bytes;
    bool readable;
  } rows[] = {
      {"Unicode with BOM", bom + utf16("Windows Registry Editor Version 5.00\r\n"), true},
      {"ANSI REGEDIT4", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n", true},
      {"ANSI without header", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vestacor]\r\n", false},
      {"UTF-8 version 5 header", "Windows Registry Editor Version 5.00\r\n", false},
      {"UTF-16 without BOM", utf16("Windows Registry Editor Version 5.00\r\n"), false},
      {"BOM without header", bom + utf16("[HKEY_LOCAL_MACHINE]\r\n"), false},
      {"empty", "", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.readable, RegistryFileProblem(row.bytes).empty()) << row.name;
  }
}

TEST(CheckExitCodeTest, ErrorsOutrankWarnings) {
  CheckReport report;
  report.sections.push_back({u"s", {ReportLine{}}});
  EXPECT_EQ(0, CheckExitCode(report));
  report.sections[0].lines[0].findings.push_back({Severity::kWarning, u"w"});
  EXPECT_EQ(1, CheckExitCode(report));
  report.sections.push_back({u"t", {ReportLine{}}});
  report.sections[1].lines[0].findings.push_back({Severity::kError, u"e"});
  EXPECT_EQ(2, CheckExitCode(report));
  EXPECT_EQ(1, CountFindings(report, Severity::kError));
}

}  // namespace
