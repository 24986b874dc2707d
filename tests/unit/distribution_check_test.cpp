#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "check/distribution_check.h"
#include "check/distribution_files.h"
#include "check/installer_version.h"
#include "check/launcher_paths.h"
#include "check/package_platform.h"
#include "check/path_findings.h"
#include "common/product_catalogue.h"
#include "fakes/fake_system.h"

namespace {

constexpr char16_t kForeignCode[] = u"{00000000-1111-2222-3333-444444444444}";
const ProviderStep& kCspStep = kProviderSteps[0];
const ProviderStep& kZazStep = kProviderSteps[1];
const WindowsKind& k32Bit = kWindowsKinds[0];
const WindowsKind& k64Bit = kWindowsKinds[1];
const WindowsKind& kWindows11Arm = kWindowsKinds[2];
const WindowsKind& kWindows10Arm = kWindowsKinds[3];

// Summary information as a test gives it, by package path.
class ScriptedSummaries : public PackageSummaryReader {
 public:
  std::map<std::u16string, PackageSummary> values;
  std::uint32_t ReadSummary(const std::u16string& path, PackageSummary& summary) override {
    const auto it = values.find(path);
    if (it == values.end()) return 1619;  // ERROR_INSTALL_PACKAGE_OPEN_FAILED
    summary = it->second;
    return 0;
  }
};

// A distribution in C:\dist with packages whose properties the fake installer serves, and the
// files and certificates beside them as a test gives them.
struct FakeDistribution : FileReader, CertificateReader {
  void AddPackage(const std::u16string& name, const std::u16string& code,
                  const std::u16string& version, const std::u16string& language,
                  const std::u16string& flags, const std::u16string& platform = u"Intel",
                  std::int32_t pageCount = 200) {
    const std::u16string path = u"C:\\dist\\" + name;
    fake.files.AddFile(path);
    fake.installer.packages[path] = {{u"ProductCode", code},
                                     {u"ProductVersion", version},
                                     {u"ProductLanguage", language},
                                     {u"ISReleaseFlags", flags}};
    summaries.values[path] = {platform + u";" + language, pageCount};
  }
  bool ReadFileBytes(const std::u16string& name, std::string& bytes) override {
    const auto it = fileBytes.find(name);
    if (it != fileBytes.end()) bytes = it->second;
    return it != fileBytes.end();
  }
  std::vector<CertificateFacts> ReadCertificates(const std::u16string& path) override {
    return certificates[path];
  }
  ReportLine Evaluate(const PathRun& run) {
    ReportLine line;
    EXPECT_EQ(0, EvaluatePath(real, PackageTable(real), u"C:\\dist", run, line));
    return line;
  }
  CheckReport Check() {
    CheckReport report;
    std::u16string unjudged;
    EXPECT_EQ(0, CheckDistribution(real, *this, *this, report, unjudged));
    return report;
  }

  // Distributions with particular findings, each beside the test that uses it first.
  void AnotherPlatformFirst();
  void PageCountPackages();
  void ListingOrderPackages();
  void CertificateFiles();
  void UnreachableFiles();
  void UnreadablePlugin();
  void ForeignOlderX64Plugin();
  void MisnamedOldCsp();
  void ZazWithJunkRegistryFile();
  void WithoutArm64();
  void Arm64PluginOnly();

  FakeSystem fake;
  ScriptedSummaries summaries;
  std::map<std::u16string, std::string> fileBytes;                       // by name
  std::map<std::u16string, std::vector<CertificateFacts>> certificates;  // by full path
  RealSystem real{fake.installer, fake.files, fake.certs, fake.platform, summaries};
};

class DistributionTest : public ::testing::Test, protected FakeDistribution {};

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
  const std::vector<PathRun> runs = ProviderPaths(real, kCspStep, k64Bit);
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

  const std::vector<PathRun> plugin = PluginPaths(real, k64Bit);
  ASSERT_EQ(2u, plugin.size());
  EXPECT_EQ(u"C:\\dist\\p\\zirelcom-x64.msi", plugin[0].installed);
  EXPECT_EQ(u"", plugin[0].versionSource);
  EXPECT_EQ(u"C:\\dist\\p\\zirelcom-x64.msi", plugin[1].installed);
  EXPECT_EQ(u"C:\\dist\\p\\zirelcom-win32.msi", plugin[1].versionSource);

  const std::vector<PathRun> zaz = ProviderPaths(real, kZazStep, k64Bit);
  ASSERT_EQ(3u, zaz.size());
  EXPECT_EQ(u"C:\\dist\\u\\ucsp-x64-eng.msi", zaz[0].installed);
  EXPECT_EQ(u"upgrade of an installed rus* ZAZ CSP", zaz[2].label);
  EXPECT_EQ(u"C:\\dist\\u\\ucsp-x64-rus.msi", zaz[2].installed);
  EXPECT_EQ(u"rus*", zaz[2].language);

  const ImportFiles files = ImportFilesOf(real, kZazStep, k64Bit);
  EXPECT_EQ(u"ZAZ_x64_2.reg", files.registry);
  EXPECT_EQ(u"ZAZ_acl_x64.acl", files.acl);
  EXPECT_TRUE(fake.processes.started.empty());

  // A start that installs two packages cannot be shown as one line: the check gives up on it.
  AddPackage(u"c\\csp-x64-kc1-rus.msi", kCspProductCode, u"3.6.7000", u"1049", u"kc1");
  PathRun both = zaz[0];
  both.options.installCsp = true;
  ReportLine line;
  EXPECT_EQ(kCheckBadUsage,
            EvaluatePath(real, PackageTable(real), u"C:\\dist", Rerun(real, both, u""), line));
}

// The fields of a path's result that the rules read.
struct RunFields {
  std::u16string label, productCode, level, language, installed, versionSource, pattern;
  std::uint32_t result;
};

// On 64-bit Windows with the product installed in its oldest version, where a rule reruns it.
PathRun RunOf(const RunFields& fields) {
  PathRun run;
  run.windows = &k64Bit;
  run.installedProducts[fields.productCode] = {u"", u""};
  run.label = fields.label;
  run.productCode = fields.productCode;
  run.level = fields.level;
  run.language = fields.language;
  run.installed = fields.installed;
  run.versionSource = fields.versionSource;
  run.pattern = fields.pattern;
  run.result = fields.result;
  return run;
}

struct RuleRow {
  const char* name;
  RunFields run;
  std::u16string file;
  std::u16string outcome;
  std::vector<Severity> severities;
  std::u16string firstText;  // the beginning of the first finding
};

TEST_F(DistributionTest, AgreementRules) {
  AddPackage(u"p\\zirelcom-win32.msi", kPluginProductCode, u"3.0.0", u"1049", u"");
  AddPackage(u"p\\zirelcom-x64.msi", kPluginProductCode, u"1.0.0", u"1049", u"");
  AddPackage(u"p\\zirelcom-other.msi", kForeignCode, u"9.0", u"1049", u"");
  // Read as an installed product's package on the 32-bit simulation, which must not refuse it.
  AddPackage(u"c\\csp-x64- kc1-eng.msi", kCspProductCode, u"3.6.7000", u"1033", u"qxcspi", u"x64");
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
    const ReportLine line = Evaluate(RunOf(row.run));
    EXPECT_EQ(row.file, line.file);
    EXPECT_EQ(row.outcome, line.outcome);
    std::vector<Severity> severities;
    for (const Finding& finding : line.findings) severities.push_back(finding.severity());
    EXPECT_EQ(row.severities, severities);
    if (!line.findings.empty()) {
      EXPECT_EQ(row.firstText, line.findings[0].text.substr(0, row.firstText.size()));
    }
  }
}

// The platform field of the Template as the installer reads it, and which Windows runs what.
TEST(PackagePlatformTest, TemplateNameAndWindows) {
  constexpr bool y = true, n = false;
  const struct {
    const char16_t* value;
    PackagePlatform platform;
    bool runs[4];  // on 32-bit, 64-bit Windows, Windows 11 on Arm, Windows 10 on Arm
  } rows[] = {
      {u"Intel;1049", PackagePlatform::kIntel, {y, y, y, y}},
      {u";1033", PackagePlatform::kIntel, {y, y, y, y}},
      {u"Intel ;1033,2046", PackagePlatform::kIntel, {y, y, y, y}},
      {u"x64;1049", PackagePlatform::kX64, {n, y, y, n}},
      {u"AMD64;1049", PackagePlatform::kX64, {n, y, y, n}},
      {u"Intel64;1033", PackagePlatform::kIntel64, {n, n, n, n}},
      {u"Arm64;0", PackagePlatform::kArm64, {n, n, y, y}},
      {u"Arm;0", PackagePlatform::kArm, {n, n, n, n}},
      {u"Sparc;0", PackagePlatform::kUnknown, {y, y, y, y}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Utf8(row.value));
    EXPECT_EQ(row.platform, PlatformOfTemplate(row.value));
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(row.runs[i], RunsOn(row.platform, kWindowsKinds[i])) << Utf8(kWindowsKinds[i].name);
    }
  }
  EXPECT_EQ(PackagePlatform::kIntel, PlatformOfName(u"zirelcom-WIN32.msi"));
  EXPECT_EQ(PackagePlatform::kIntel, PlatformOfName(u"csp-x86- kc1-rus.msi"));
  EXPECT_EQ(PackagePlatform::kX64, PlatformOfName(u"ucsp-amd64-rus.msi"));
  EXPECT_EQ(PackagePlatform::kArm64, PlatformOfName(u"zirelcom-ARM64.msi"));
  EXPECT_EQ(PackagePlatform::kUnknown, PlatformOfName(u"csp-arm64-x64.msi"));
  EXPECT_EQ(PackagePlatform::kUnknown, PlatformOfName(u"zirelcom.msi"));
  EXPECT_EQ(PackagePlatform::kUnknown, PlatformOfName(u"zirelcom-win32-x64.msi"));
}

// On 32-bit Windows the version check meets an x64 package first: the installer refuses to open
// it with 1633 and the path ends there; an x64 package named win32 is refused by msiexec, and
// its name is an error of its own.
void FakeDistribution::AnotherPlatformFirst() {
  AddPackage(u"a\\zirelcom-x64.msi", kPluginProductCode, u"3.0.0", u"1049", u"", u"x64");
  AddPackage(u"b\\zirelcom-win32.msi", kPluginProductCode, u"3.0.0", u"1049", u"", u"x64");
}

TEST_F(DistributionTest, PackagesOfAnotherPlatformAreRefused) {
  AnotherPlatformFirst();
  const std::vector<PathRun> runs = PluginPaths(real, k32Bit);
  ASSERT_EQ(2u, runs.size());
  ReportLine fresh = Evaluate(runs[0]);
  EXPECT_EQ(u"b\\zirelcom-win32.msi", fresh.file);
  ASSERT_EQ(1u, fresh.findings.size());
  EXPECT_EQ(
      u"msiexec refuses this x64 package on 32-bit Windows with 1633, and the launcher "
      u"ends this path with 1633",
      fresh.findings[0].text);

  ReportLine replacement = Evaluate(runs[1]);
  EXPECT_EQ(u"ends with 1633", replacement.outcome);
  ASSERT_EQ(1u, replacement.findings.size());
  EXPECT_EQ(Severity::kError, replacement.findings[0].severity());
  EXPECT_EQ(
      u"the version check opens a\\zirelcom-x64.msi, an x64 package, which MsiOpenPackageEx "
      u"refuses on 32-bit Windows with 1633: message 133, and the launcher ends this path "
      u"with 1633",
      replacement.findings[0].text);
  EXPECT_TRUE(fake.processes.started.empty());
  for (const PathRun& run : PluginPaths(real, k64Bit)) EXPECT_EQ(0u, run.result) << Utf8(run.label);

  ReportSection files;
  CheckPackageSummaries(real, PackageTable(real), u"C:\\dist", files);
  ASSERT_EQ(1u, files.lines.size());
  EXPECT_EQ(u"b\\zirelcom-win32.msi", files.lines[0].file);
  EXPECT_EQ(
      u"named for Intel Windows, but its Template \"x64;1049\" names the x64 platform: the "
      u"launcher picks packages by name",
      files.lines[0].findings[0].text);
}

// Windows on Arm takes the arm64 package where there is one, else x64 on Windows 11 and win32
// on Windows 10; the settings files follow the package taken. The version check on Windows 10
// passes over the x64 package it meets.
void FakeDistribution::WithoutArm64() {
  AddPackage(u"p\\zirelcom-win32.msi", kPluginProductCode, u"3.0.0", u"1049", u"");
  AddPackage(u"p\\zirelcom-x64.msi", kPluginProductCode, u"3.0.0", u"1049", u"", u"x64");
  AddPackage(u"u\\ucsp-win32-rus.msi", kZazCspProductCode, u"4.0", u"1049", u"");
  AddPackage(u"u\\ucsp-x64-rus.msi", kZazCspProductCode, u"4.0", u"1049", u"", u"x64");
  for (const char16_t* name : {u"ZAZ_x86_2.reg", u"ZAZ_x64_2.reg"}) fileBytes[name] = "REGEDIT4";
  for (const char16_t* name : {u"ZAZ_acl_x86.acl", u"ZAZ_acl_x64.acl"}) fileBytes[name] = "acl";
}

void FakeDistribution::Arm64PluginOnly() {
  WithoutArm64();
  AddPackage(u"p\\zirelcom-arm64.msi", kPluginProductCode, u"3.0.0", u"1049", u"", u"Arm64", 500);
}

TEST_F(DistributionTest, PathsOnWindowsOnArm) {
  Arm64PluginOnly();
  const struct {
    const WindowsKind& windows;
    std::u16string zaz;
    std::u16string registry;
  } rows[] = {
      {kWindows11Arm, u"C:\\dist\\u\\ucsp-x64-rus.msi", u"ZAZ_x64_2.reg"},
      {kWindows10Arm, u"C:\\dist\\u\\ucsp-win32-rus.msi", u"ZAZ_x86_2.reg"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Utf8(row.windows.name));
    for (const PathRun& run : PluginPaths(real, row.windows)) {
      EXPECT_EQ(u"C:\\dist\\p\\zirelcom-arm64.msi", run.installed) << Utf8(run.label);
      EXPECT_EQ(0u, run.result);
    }
    for (const PathRun& run : ProviderPaths(real, kZazStep, row.windows)) {
      EXPECT_EQ(row.zaz, run.installed) << Utf8(run.label);
      EXPECT_EQ(0u, run.result);
    }
    EXPECT_EQ(row.registry, ImportFilesOf(real, kZazStep, row.windows).registry);
  }

  // The look whether arm64 packages are there at all ("ucsp*arm64*", two matches) is no lookup
  // of a file to take; the arm64 settings files missing, the x64 ones are imported.
  AddPackage(u"u\\ucsp-arm64-eng.msi", kZazCspProductCode, u"4.0", u"1033", u"", u"Arm64", 500);
  AddPackage(u"u\\ucsp-arm64-rus.msi", kZazCspProductCode, u"4.0", u"1049", u"", u"Arm64", 500);
  const PathRun upgrade = ProviderPaths(real, kZazStep, kWindows11Arm).back();
  EXPECT_EQ(u"upgrade of an installed rus* ZAZ CSP", upgrade.label);
  EXPECT_EQ((std::vector<std::u16string>{u"ucsp*.msi", u"ucsp*arm64*rus*"}), upgrade.lookups);
  EXPECT_EQ(u"ZAZ_x64_2.reg", ImportFilesOf(real, kZazStep, kWindows11Arm).registry);
}

// How each supported Windows answers a package that needs the Page Count's Windows Installer:
// it takes it, refuses it with 1613 until its installer is updated, or refuses it for good.
TEST(InstallerVersionTest, PageCountAgainstSupportedWindows) {
  constexpr InstallerAnswer ok = InstallerAnswer::kAccepted;
  constexpr InstallerAnswer update = InstallerAnswer::kRefusedUntilUpdated;
  constexpr InstallerAnswer never = InstallerAnswer::kRefused;
  const struct {
    std::int32_t pageCount;
    InstallerAnswer answers[5];  // 2000 SP4, XP SP2, Server 2003 SP2, Vista, 7 and later
  } rows[] = {
      {110, {ok, ok, ok, ok, ok}},
      {200, {ok, ok, ok, ok, ok}},
      {300, {update, ok, ok, ok, ok}},
      {301, {update, update, ok, ok, ok}},
      {400, {never, update, update, ok, ok}},
      {405, {never, update, update, update, ok}},
      {500, {never, never, never, never, ok}},
  };
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(row.answers[i], AnswerFor(kSupportedWindows[i], row.pageCount))
          << row.pageCount << " on " << Utf8(kSupportedWindows[i].name);
    }
  }
}

// The Files part gives each package whose summary is a problem, with its Page Count and the
// Windows Installer it needs: a version that some supported Windows of its platform lacks
// (x64 has no Windows 2000, Arm64 nothing older than Windows 10), a 64-bit package below its
// platform's minimum, an arm64 name on an x64 package.
void FakeDistribution::PageCountPackages() {
  AddPackage(u"a\\zirelcom-arm64.msi", kPluginProductCode, u"3.0.0", u"1049", u"", u"Arm64", 405);
  AddPackage(u"c\\csp-win32- kc1-rus.msi", kCspProductCode, u"3.6.7000", u"1049", u"kc1", u"Intel",
             405);
  AddPackage(u"c\\csp-x64- kc1-rus.msi", kCspProductCode, u"3.6.7000", u"1049", u"kc1", u"x64",
             301);
  AddPackage(u"p\\zirelcom-win32.msi", kPluginProductCode, u"3.0.0", u"1049", u"", u"Intel", 500);
  AddPackage(u"p\\zirelcom-x64.msi", kPluginProductCode, u"3.0.0", u"1049", u"", u"x64", 150);
  AddPackage(u"u\\ucsp-x64-rus.msi", kZazCspProductCode, u"4.0", u"1049", u"", u"x64", 200);
  AddPackage(u"u\\ucsp-arm64-rus.msi", kZazCspProductCode, u"4.0", u"1049", u"", u"x64", 200);
}

TEST_F(DistributionTest, PageCountFindings) {
  PageCountPackages();
  ReportSection files;
  CheckPackageSummaries(real, PackageTable(real), u"C:\\dist", files);
  std::vector<std::pair<std::u16string, std::u16string>> found;  // file, finding
  for (const ReportLine& line : files.lines) {
    for (const Finding& finding : line.findings) {
      found.push_back(
          {line.file, (finding.severity() == Severity::kError ? u"error: " : u"") + finding.text});
    }
  }
  const std::vector<std::pair<std::u16string, std::u16string>> expected = {
      {u"a\\zirelcom-arm64.msi",
       u"error: its Template names the Arm64 platform, for which the Page Count must be 500 or "
       u"more"},
      {u"c\\csp-win32- kc1-rus.msi",
       u"Windows 2000 SP4 refuses it with 1613: there is no Windows Installer 4.5 for it; Windows "
       u"XP SP2, Server 2003 SP2 and Vista refuse it with 1613 until Windows Installer 4.5 or "
       u"later is installed"},
      {u"c\\csp-x64- kc1-rus.msi",
       u"Windows XP SP2 refuses it with 1613 until Windows Installer 3.1 or later is installed"},
      {u"p\\zirelcom-win32.msi",
       u"Windows 2000 SP4, XP SP2, Server 2003 SP2 and Vista refuse it with 1613: there is no "
       u"Windows Installer 5.0 for them"},
      {u"p\\zirelcom-x64.msi",
       u"error: its Template names the x64 platform, for which the Page Count must be 200 or "
       u"more"},
      {u"u\\ucsp-arm64-rus.msi",
       u"error: named for Arm64 Windows, but its Template \"x64;1049\" names the x64 platform: the "
       u"launcher picks packages by name"},
  };
  EXPECT_EQ(expected, found);
  const std::vector<std::pair<std::u16string, std::u16string>> facts = {
      {u"Page Count", u"500"}, {u"Windows Installer", u"5.0"}};
  ASSERT_EQ(6u, files.lines.size());
  EXPECT_EQ(facts, files.lines[3].facts);
}

// What depends on the medium's listing order: an install pattern with two matches, and each
// package of the version check that would end the path differently if it were met first.
void FakeDistribution::ListingOrderPackages() {
  AddPackage(u"c\\csp-win32- kc1-rus.msi", kCspProductCode, u"3.6.7000", u"1049", u"kc1");
  AddPackage(u"c\\csp-x64- kc1-rus.msi", kCspProductCode, u"3.6.7000", u"1049", u"kc1", u"x64");
  AddPackage(u"d\\csp-win32- kc1-rus.msi", kCspProductCode, u"3.6.5000", u"1049", u"kc1");
}

TEST_F(DistributionTest, ListingOrderFindings) {
  ListingOrderPackages();
  const std::vector<PathRun> runs = ProviderPaths(real, kCspStep, k32Bit);
  ASSERT_EQ(5u, runs.size());
  ReportLine fresh = Evaluate(runs[0]);
  ASSERT_EQ(1u, fresh.findings.size());
  EXPECT_EQ(
      u"\"csp*win32* \" matches 2 files: c\\csp-win32- kc1-rus.msi and "
      u"d\\csp-win32- kc1-rus.msi; which one the launcher takes depends on the listing order "
      u"of the medium it runs from",
      fresh.findings[0].text);

  EXPECT_EQ(u"upgrade of an installed kc1* rus* CSP 3.6.5365", runs[3].label);
  ReportLine upgrade = Evaluate(runs[3]);
  std::vector<std::u16string> texts;
  for (const Finding& finding : upgrade.findings) {
    EXPECT_EQ(Severity::kWarning, finding.severity());
    texts.push_back(finding.text);
  }
  const std::vector<std::u16string> expected = {
      u"\"csp*win32* kc1*rus*\" matches 2 files: c\\csp-win32- kc1-rus.msi and "
      u"d\\csp-win32- kc1-rus.msi; which one the launcher takes depends on the listing order of "
      u"the medium it runs from",
      // c\\csp-x64- kc1-rus.msi met first changes nothing: the version check passes over it.
      u"where the medium lists d\\csp-win32- kc1-rus.msi first, the version compared is 3.6.5000: "
      u"the CSP is left as it is",
  };
  EXPECT_EQ(expected, texts);
}

// The detection facts: per product and platform the version a successful path installs, and
// each package installed with the Windows Installer it needs.
TEST_F(DistributionTest, DetectionFacts) {
  AddPackage(u"p\\zirelcom-win32.msi", kPluginProductCode, u"3.0.0", u"1049", u"");
  AddPackage(u"p\\zirelcom-x64.msi", kPluginProductCode, u"3.0.1", u"1049", u"", u"x64", 500);
  const CheckReport report = Check();
  ASSERT_EQ(1u, report.detection.size());
  const DetectionFacts& plugin = report.detection[0];
  EXPECT_EQ(u"plug-in", plugin.product);
  EXPECT_EQ(kPluginProductCode, plugin.productCode);
  const std::vector<std::pair<std::u16string, std::vector<std::u16string>>> versions = {
      {u"32-bit Windows", {u"3.0.0"}}, {u"64-bit Windows", {u"3.0.1"}}};
  EXPECT_EQ(versions, plugin.versions);
  EXPECT_FALSE(plugin.sameOnEveryPlatform);
  const std::vector<PackageNeed> packages = {{u"p\\zirelcom-win32.msi", 200},
                                             {u"p\\zirelcom-x64.msi", 500}};
  EXPECT_EQ(packages, plugin.packages);
  const std::string text = RenderText(report);
  EXPECT_NE(std::string::npos,
            text.find("\r\nDetection\r\n  plug-in {B5290F4D-7E3A-46C1-8D95-0A6F2C8E13B7}: 32-bit "
                      "Windows 3.0.0, 64-bit Windows 3.0.1; not the same on every platform\r\n"
                      "    p\\zirelcom-win32.msi: Windows Installer 2.0 (Page Count 200)\r\n"
                      "    p\\zirelcom-x64.msi: Windows Installer 5.0 (Page Count 500)\r\n"))
      << text;
  EXPECT_NE(std::string::npos,
            RenderJson(report).find(
                "\"detection\": [{\"product\": \"plug-in\", \"productCode\": "
                "\"{B5290F4D-7E3A-46C1-8D95-0A6F2C8E13B7}\", \"versions\": {\"32-bit Windows\": "
                "[\"3.0.0\"], \"64-bit Windows\": [\"3.0.1\"]}, \"sameOnEveryPlatform\": false, "
                "\"packages\": [{\"file\": \"p\\\\zirelcom-win32.msi\", \"pageCount\": 200, "
                "\"windowsInstaller\": \"2.0\"}, {\"file\": \"p\\\\zirelcom-x64.msi\", "
                "\"pageCount\": 500, \"windowsInstaller\": \"5.0\"}]}]"));
}

void FakeDistribution::CertificateFiles() {
  const std::vector<std::u16string> names = {u"a-junk.cer", u"b-roots.p7b", u"c-empty.crt"};
  for (const std::u16string& name : names) fake.files.AddFile(u"C:\\dist\\" + name);
  fake.certs.files[u"C:\\dist\\b-roots.p7b"] = {"r1", "r2", "r3", "r4"};
  fake.certs.files[u"C:\\dist\\c-empty.crt"] = {};
  CertificateFacts good{u"Good", u"AA", u"2020-01-01", u"2040-01-01", false, false, true};
  CertificateFacts expired = good, early = good, leaf = good;
  expired.expired = true;
  early.notYetValid = true;
  leaf.isCa = false;
  certificates[u"C:\\dist\\b-roots.p7b"] = {good, expired, early, leaf};
}

// The files the launcher would open, as it opens them; each certificate judged on its own.
TEST_F(DistributionTest, CertificateFindings) {
  CertificateFiles();
  ReportSection section;
  CheckCertificates(real, *this, u"C:\\dist", section);
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

// Package files no lookup reaches; a package some path installs is not reported, one that only
// another listing order would reach is reported as such.
void FakeDistribution::UnreachableFiles() {
  for (const char16_t* name : {u"top.msi", u".hidden\\csp-x64- kc2-rus.msi", u"p\\deep\\z.msi",
                               u"p\\zirelcom-x64.msi", u"p\\spare.msi", u"q\\zirelcom-x64.msi"}) {
    fake.files.AddFile(u"C:\\dist\\" + std::u16string(name));
  }
}

TEST_F(DistributionTest, UnreachablePackages) {
  UnreachableFiles();
  ReportSection section;
  CheckUnreachablePackages(fake.files, u"C:\\dist", {u"C:\\dist\\p\\zirelcom-x64.msi"},
                           {u"C:\\dist\\p\\zirelcom-x64.msi", u"C:\\dist\\q\\zirelcom-x64.msi"},
                           section);
  std::vector<std::pair<std::u16string, std::u16string>> found;
  for (const ReportLine& line : section.lines) {
    ASSERT_EQ(1u, line.findings.size());
    EXPECT_EQ(Severity::kWarning, line.findings[0].severity());
    found.push_back({line.file, line.findings[0].text});
  }
  const std::vector<std::pair<std::u16string, std::u16string>> expected = {
      {u"top.msi", u"at the top level: the launcher looks for packages one directory level down"},
      {u".hidden\\csp-x64- kc2-rus.msi",
       u"in a directory whose name begins with a full stop: the launcher skips it"},
      {u"p\\spare.msi", u"no path of the launcher reaches it"},
      {u"p\\deep\\z.msi", u"two levels down: the launcher looks one directory level down only"},
      {u"q\\zirelcom-x64.msi",
       u"no path of the launcher reaches it in this folder's listing order"},
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

void FakeDistribution::UnreadablePlugin() {
  fake.files.AddFile(u"C:\\dist\\p\\zirelcom-win32.msi");
}

// The 64-bit replacement compares the win32 package's version and installs the x64 one.
void FakeDistribution::ForeignOlderX64Plugin() {
  AddPackage(u"p\\zirelcom-win32.msi", kPluginProductCode, u"3.0.0", u"1049", u"");
  AddPackage(u"p\\zirelcom-x64.msi", kForeignCode, u"1.0.0", u"1049", u"", u"x64");
}

// A kc2 Russian CSP named kc1 English, older than 3.6.5365, met first by the kc1 English paths
// and by the version check.
void FakeDistribution::MisnamedOldCsp() {
  AddPackage(u"c\\csp-win32- kc1-eng-2.msi", kCspProductCode, u"3.6.5000", u"1049", u"qxrmcsp");
  AddPackage(u"c\\csp-win32- kc1-eng.msi", kCspProductCode, u"3.6.7000", u"1033", u"kc1");
}

// The 32-bit registry file is no registry file, the ACL file is missing.
void FakeDistribution::ZazWithJunkRegistryFile() {
  AddPackage(u"u\\ucsp-win32-rus.msi", kZazCspProductCode, u"4.0", u"1049", u"");
  fileBytes[u"ZAZ_x86_2.reg"] = "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n";
}

// Every finding from the whole check of a distribution that has it, on a line whose file or path
// is `where`.
TEST(FindingKindsTest, EachFoundByTheCheck) {
  using F = FindingId;
  using D = FakeDistribution;
  const struct {
    FindingId id;
    void (FakeDistribution::*build)();
    const char16_t* where;
  } rows[] = {
      {F::kPackageNotFound, &D::UnreachableFiles, u"fresh installation"},
      {F::kPlatformRefused, &D::AnotherPlatformFirst, u"b\\zirelcom-win32.msi"},
      {F::kPathFails, &D::UnreadablePlugin, u"replacement of an installed older plug-in"},
      {F::kForeignProductCode, &D::ForeignOlderX64Plugin, u"p\\zirelcom-x64.msi"},
      {F::kConfigurationDiffers, &D::MisnamedOldCsp, u"c\\csp-win32- kc1-eng-2.msi"},
      {F::kPackageUnreadable, &D::UnreadablePlugin, u"p\\zirelcom-win32.msi"},
      {F::kPackageNotNewer, &D::MisnamedOldCsp, u"upgrade of an installed kc2* rus* CSP 3.6.5365"},
      {F::kVersionFromOtherPackage, &D::ForeignOlderX64Plugin, u"p\\zirelcom-x64.msi"},
      {F::kPatternMatchesSeveralFiles, &D::ListingOrderPackages, u"c\\csp-win32- kc1-rus.msi"},
      {F::kListingOrderChangesEnding, &D::ListingOrderPackages, u"c\\csp-win32- kc1-rus.msi"},
      {F::kNamedForOtherPlatform, &D::AnotherPlatformFirst, u"b\\zirelcom-win32.msi"},
      {F::kPageCountBelowPlatform, &D::PageCountPackages, u"p\\zirelcom-x64.msi"},
      {F::kPackageNeedsNewerInstaller, &D::PageCountPackages, u"p\\zirelcom-win32.msi"},
      {F::kArm64PackagesAbsent, &D::WithoutArm64, u"arm64 packages"},
      {F::kProductWithoutArm64Package, &D::Arm64PluginOnly, u"arm64 packages of the ZAZ CSP"},
      {F::kPackageAtTopLevel, &D::UnreachableFiles, u"top.msi"},
      {F::kPackageInSkippedFolder, &D::UnreachableFiles, u".hidden\\csp-x64- kc2-rus.msi"},
      {F::kPackageTwoLevelsDown, &D::UnreachableFiles, u"p\\deep\\z.msi"},
      {F::kPackageUnreached, &D::UnreachableFiles, u"p\\spare.msi"},
      {F::kUnreachedInListingOrder, &D::UnreachableFiles, u"q\\zirelcom-x64.msi"},
      {F::kImportFileMissing, &D::ZazWithJunkRegistryFile, u"regini"},
      {F::kRegistryFileFormat, &D::ZazWithJunkRegistryFile, u"ZAZ_x86_2.reg"},
      {F::kCertificateFileUnopenable, &D::CertificateFiles, u"a-junk.cer"},
      {F::kCertificateFileEmpty, &D::CertificateFiles, u"c-empty.crt"},
      {F::kCertificateExpired, &D::CertificateFiles, u"b-roots.p7b"},
      {F::kCertificateNotYetValid, &D::CertificateFiles, u"b-roots.p7b"},
      {F::kCertificateNotAuthority, &D::CertificateFiles, u"b-roots.p7b"},
  };
  std::vector<std::string> covered, all;
  for (const auto& row : rows) {
    FakeDistribution distribution;
    (distribution.*row.build)();
    bool found = false;
    for (const ReportSection& section : distribution.Check().sections) {
      for (const ReportLine& line : section.lines) {
        for (const Finding& finding : line.findings) {
          found =
              found || (finding.id == row.id && (line.file == row.where || line.path == row.where));
        }
      }
    }
    EXPECT_TRUE(found) << KindOf(row.id).name;
    covered.push_back(KindOf(row.id).name);
  }
  for (const FindingKind& kind : kFindingKinds) all.push_back(kind.name);
  EXPECT_EQ(all, covered);
}

// The id table of docs/distribution-check.md is the table of findings, row for row.
TEST(FindingKindsTest, DocumentedRowForRow) {
  std::ifstream docs(ZIREL_SOURCE_DIR "/docs/distribution-check.md");
  std::string line;
  while (std::getline(docs, line) && line != "| `id` | Severity | Found |") {
  }
  std::getline(docs, line);  // the header's rule
  std::vector<std::string> documented, coded;
  while (std::getline(docs, line) && line.rfind("| ", 0) == 0) documented.push_back(line);
  for (const FindingKind& kind : kFindingKinds) {
    coded.push_back(std::string("| `") + kind.name + "` | " + SeverityName(kind.severity) + " | " +
                    kind.found + " |");
  }
  EXPECT_EQ(coded, documented);
}

TEST(CheckExitCodeTest, ErrorsOutrankWarnings) {
  CheckReport report;
  report.sections.push_back({u"s", {ReportLine{}}});
  EXPECT_EQ(0, CheckExitCode(report));
  Add(report.sections[0].lines[0], FindingId::kPackageNotNewer, u"w");
  EXPECT_EQ(1, CheckExitCode(report));
  report.sections.push_back({u"t", {ReportLine{}}});
  Add(report.sections[1].lines[0], FindingId::kPackageNotFound, u"e");
  EXPECT_EQ(2, CheckExitCode(report));
  EXPECT_EQ(1, CountFindings(report, Severity::kError));
}

}  // namespace
