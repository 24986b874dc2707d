#include "actions/provider_install.h"

#include <algorithm>

#include "actions/architecture.h"
#include "actions/package_install.h"

#include "common/product_catalogue.h"
#include "install_fixture.h"

namespace {

constexpr int kNotInstalled = -100;  // unknown to the installer
constexpr char16_t kCachedCsp[] = u"C:\\Windows\\Installer\\csp.msi";
constexpr char16_t kCachedZaz[] = u"C:\\Windows\\Installer\\ucsp.msi";

const std::string kCspFresh =
    "msiexec /qn /i \"C:\\dist\\win32\\csp-win32-kc1-rus.msi\" C=1  REBOOT=R";
const std::string kCspUpgrade =
    "msiexec /qn /i \"C:\\dist\\win32\\csp-win32 kc2-rus.msi\" C=1 REINSTALL=ALL "
    "REINSTALLMODE=vomus REBOOT=R";
const std::string kCspTakeOver =
    "msiexec /qn /i \"C:\\dist\\win32\\csp-win32 kc2-rus.msi\" C=1  REBOOT=R";
const std::string kZazFresh =
    "msiexec /qn /i \"C:\\dist\\win32\\ucsp-win32-eng.msi\" U=1  REBOOT=R";
const std::string kZazUpgrade =
    "msiexec /qn /i \"C:\\dist\\win32\\ucsp-win32-rus.msi\" U=1 REINSTALL=ALL REINSTALLMODE=vomus "
    "REBOOT=R";
const std::string kRegedit = "regedit /s ZAZ_x86_2.reg";
const std::string kRegini = "regini ZAZ_acl_x86.acl";

const std::string kBoxTooOld =
    "Обновление|Установленная версия Vestacor CSP 3.6 слишком старая для обновления.\nДля "
    "установки удалите её из Add/Remove Programs и запустите установку заново.|16";
const std::string kBoxVersion = "Ошибка|Не возможно узнать версию установленного msi-пакета.|16";
const std::string kBoxLocalPackage =
    "Ошибка|Не возможно узнать путь до установленного msi-пакета.|16";
const std::string kBoxNotFound = "Ошибка|Не возможно найти msi-пакет.|16";

class ProvidersTest : public InstallTest {
 protected:
  void SetUp() override {
    AddPackage(u"C:\\dist\\win32\\csp-win32-kc1-rus.msi", u"3.6.7000");
    AddPackage(u"C:\\dist\\win32\\csp-win32 kc2-rus.msi", u"3.6.7000");
    AddPackage(u"C:\\dist\\win32\\ucsp-win32-eng.msi", u"2.0");
    AddPackage(u"C:\\dist\\win32\\ucsp-win32-rus.msi", u"2.0");
    AddPackage(u"C:\\dist\\x64\\csp-x64-kc1-rus.msi", u"3.6.7000");
    AddPackage(u"C:\\dist\\x64\\ucsp-x64-eng.msi", u"2.0");
    fake.files.AddFile(u"C:\\dist\\root.cer");
    fake.certs.files[u"C:\\dist\\root.cer"] = {"root"};
  }
  void AddPackage(const std::u16string& path, const std::u16string& version) {
    fake.files.AddFile(path);
    fake.installer.packages[path][u"ProductVersion"] = version;
  }
  // An installed product; an empty version makes "VersionString" unreadable, and without
  // `cached` its "LocalPackage" is unreadable.
  void Install(const std::u16string& code, int installState, const std::u16string& version,
               const char16_t* cached, const std::u16string& flags,
               const std::u16string& language) {
    if (installState == kNotInstalled) return;
    auto& product = fake.installer.products[code];
    product.state = installState;
    if (!version.empty()) product.info[u"VersionString"] = version;
    if (cached == nullptr) return;
    product.info[u"LocalPackage"] = cached;
    fake.installer.packages[cached][u"ISReleaseFlags"] = flags;
    fake.installer.packages[cached][u"ProductLanguage"] = language;
  }
  void RemoveZazPackages() {
    fake.files.Remove(u"C:\\dist\\win32\\ucsp-win32-eng.msi");
    fake.files.Remove(u"C:\\dist\\win32\\ucsp-win32-rus.msi");
    fake.files.Remove(u"C:\\dist\\x64\\ucsp-x64-eng.msi");
  }
  std::uint32_t Run(bool silent) {
    state.options.cspArgs = u"C=1 ";
    state.options.ucspArgs = u"U=1 ";
    const std::uint32_t result = InstallProviders(fake.sys, state, fake.PromptsFor(silent));
    EXPECT_EQ(u"C=1 ", state.options.cspArgs);
    EXPECT_EQ(u"U=1 ", state.options.ucspArgs);
    return result;
  }

  SetupState state;
};

struct CspRow {
  const char* name;
  int cspState;
  std::u16string cspVersion;
  bool cached;  // the installed products' cached packages are known
  int secondState;
  bool selectConfig;
  std::u16string kcPattern;
  std::u16string langPattern;
  bool silent;
  std::uint32_t result;
  std::vector<std::string> commands;
  std::vector<std::string> boxes;
};

class CspTable : public ProvidersTest, public ::testing::WithParamInterface<CspRow> {};

TEST_P(CspTable, FollowsTheCspDecisionTable) {
  const CspRow& c = GetParam();
  const char16_t* cached = c.cached ? kCachedCsp : nullptr;
  Install(kCspProductCode, c.cspState, c.cspVersion, cached, u"kc2", u"1049");
  Install(kCspSecondProductCode, c.secondState, u"3.5", cached, u"kc2", u"1049");
  state.options.installCsp = true;
  state.options.selectConfig = c.selectConfig;
  state.options.kcPattern = c.kcPattern;
  state.options.langPattern = c.langPattern;
  fake.processes.exitCodes[u"msiexec"] = 3010;
  EXPECT_EQ(c.result, Run(c.silent));
  EXPECT_EQ(c.commands, CommandLines());
  EXPECT_EQ(c.boxes, Boxes());
  EXPECT_TRUE(fake.certs.events.empty());
}

// Columns: CSP state, its version, cached packages known, second code's state, selectConfig,
// kcPattern, langPattern, silent | result, command lines, boxes. Every msiexec returns 3010.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rows, CspTable,
    ::testing::Values(
        CspRow{"InstalledDecisionFails", 5, u"", true, kNotInstalled, false, u"", u"", false,
               1608, {}, {kBoxVersion}},
        CspRow{"InstalledDecisionFailsSilent", 5, u"", true, kNotInstalled, false, u"", u"", true,
               1608, {}, {kBoxVersion}},
        CspRow{"InstalledTooOld", 5, u"3.6.5000", true, kNotInstalled, false, u"", u"", false,
               6, {}, {kBoxTooOld}},
        CspRow{"InstalledTooOldSilent", 5, u"3.6.5000", true, kNotInstalled, false, u"", u"", true,
               6, {}, {}},
        CspRow{"InstalledTooOldAlthoughNumericallyNewer", 5, u"3.6.10000", true, kNotInstalled,
               false, u"", u"", false,
               6, {}, {kBoxTooOld}},
        CspRow{"InstalledSameVersion", 5, u"3.6.7000", true, kNotInstalled, false, u"", u"", false,
               0, {}, {}},
        CspRow{"InstalledNewerThanPackage", 5, u"3.6.8000", true, kNotInstalled, false, u"", u"",
               false,
               0, {}, {}},
        CspRow{"InstalledMinimumExactly", 5, u"3.6.5365", true, kNotInstalled, false, u"", u"",
               false,
               3010, {kCspUpgrade}, {}},
        CspRow{"UpgradeCarryOverFails", 5, u"3.6.6000", false, kNotInstalled, false, u"", u"",
               false,
               1608, {}, {kBoxLocalPackage}},
        CspRow{"UpgradeCarryOverFailsSilent", 5, u"3.6.6000", false, kNotInstalled, false, u"",
               u"", true,
               1608, {}, {}},
        CspRow{"UpgradeInPlace", 5, u"3.6.6000", true, kNotInstalled, false, u"", u"", false,
               3010, {kCspUpgrade}, {}},
        CspRow{"UpgradeWithChosenFragmentsFindsNoPackage", 5, u"3.6.6000", true, kNotInstalled,
               false, u"kc1*", u"rus*", false,
               232, {}, {kBoxNotFound}},
        CspRow{"SecondCodeCarryOverFails", kNotInstalled, u"", false, 5, false, u"", u"", false,
               1608, {}, {kBoxLocalPackage}},
        CspRow{"SecondCodeTakenOver", kNotInstalled, u"", true, 5, false, u"", u"", false,
               3010, {kCspTakeOver}, {}},
        CspRow{"AdvertisedSecondCodeIsNotInstalled", kNotInstalled, u"", true, 1, false, u"kc1*",
               u"rus*", false,
               3010, {kCspFresh}, {}},
        CspRow{"NeitherInstalled", kNotInstalled, u"", false, kNotInstalled, false, u"kc1*",
               u"rus*", false,
               3010, {kCspFresh}, {}},
        CspRow{"AdvertisedCspIsNotInstalled", 1, u"3.6.5000", true, kNotInstalled, false, u"kc1*",
               u"rus*", false,
               3010, {kCspFresh}, {}},
        CspRow{"ChosenConfigurationSkipsTheChecks", 5, u"3.6.5000", true, 5, true, u"kc1*",
               u"rus*", false,
               3010, {kCspFresh}, {}},
        CspRow{"NoPackageCountsAsTheResult", kNotInstalled, u"", false, kNotInstalled, false,
               u"kc3*", u"eng*", false,
               232, {}, {kBoxNotFound}}),
    [](const ::testing::TestParamInfo<CspRow>& param) { return param.param.name; });
// clang-format on

TEST_F(ProvidersTest, SecondCodeTakeOverInstallsUnderTheCspCode) {
  Install(kCspSecondProductCode, 5, u"3.5", kCachedCsp, u"qxcspi", u"1033");
  fake.files.AddFile(u"C:\\dist\\win32\\csp-win32 kc1-eng.msi");
  state.options.installCsp = true;
  EXPECT_EQ(0u, Run(false));
  EXPECT_EQ(std::vector<std::string>{"msiexec /qn /i \"C:\\dist\\win32\\csp-win32 kc1-eng.msi\" "
                                     "C=1  REBOOT=R"},
            CommandLines());
  EXPECT_EQ((std::vector<std::string>{
                "ClearAll {6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841} user=null reserved=0",
                "SetInfo {6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841} user=null context=4 options=0 "
                "PackageName=csp-win32 kc1-eng.msi"}),
            fake.installer.sourceListCalls);
  EXPECT_TRUE(fake.installer.openedPackages.size() == 1 &&
              fake.installer.openedPackages[0] == kCachedCsp);
}

TEST_F(ProvidersTest, UpgradePropertiesFollowTheQuoteWhenThereAreNoUserArguments) {
  Install(kCspProductCode, 5, u"3.6.6000", kCachedCsp, u"kc2", u"1049");
  state.options.installCsp = true;
  EXPECT_EQ(0u, InstallProviders(fake.sys, state, fake.PromptsFor(false)));
  EXPECT_EQ(std::vector<std::string>{"msiexec /qn /i \"C:\\dist\\win32\\csp-win32 kc2-rus.msi\" "
                                     "REINSTALL=ALL REINSTALLMODE=vomus REBOOT=R"},
            CommandLines());
}

struct ZazRow {
  const char* name;
  std::u16string zazVersion;  // empty: not installed; "?": version unreadable
  bool zazCached;
  std::uint32_t result;
  std::vector<std::string> commands;
  std::vector<std::string> boxes;
  bool certificates;
};

class ZazTable : public ProvidersTest, public ::testing::WithParamInterface<ZazRow> {};

TEST_P(ZazTable, FollowsTheZazDecisionTable) {
  const ZazRow& c = GetParam();
  if (!c.zazVersion.empty()) {
    Install(kZazCspProductCode, 5, c.zazVersion == u"?" ? u"" : c.zazVersion,
            c.zazCached ? kCachedZaz : nullptr, u"", u"1049");
  }
  // The CSP stage asks for a restart and regini fails: the failure is the result; a row that
  // returns early drops both.
  state.options.installCsp = true;
  state.options.installUcsp = true;
  state.options.kcPattern = u"kc1*";
  fake.processes.exitCodes[u"msiexec /qn /i \"C:\\dist\\win32\\csp"] = 3010;
  fake.processes.exitCodes[u"regini"] = 1;
  EXPECT_EQ(c.result, Run(false));
  std::vector<std::string> commands{kCspFresh};
  commands.insert(commands.end(), c.commands.begin(), c.commands.end());
  EXPECT_EQ(commands, CommandLines());
  EXPECT_EQ(c.boxes, Boxes());
  EXPECT_EQ(c.certificates ? std::vector<std::string>{"root"} : std::vector<std::string>{},
            fake.certs.added);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ZazTable,
    ::testing::Values(
        ZazRow{"InstalledDecisionFails", u"?", true, 1608, {}, {kBoxVersion}, false},
        ZazRow{"InstalledNotOlder", u"2.0", true, 1, {kRegedit, kRegini}, {}, true},
        ZazRow{"UpgradeCarryOverFails", u"1.0", false, 1608, {}, {kBoxLocalPackage}, false},
        ZazRow{"UpgradeInPlace", u"1.0", true, 1, {kZazUpgrade, kRegedit, kRegini}, {}, true},
        ZazRow{"NotInstalled", u"", false, 1, {kZazFresh, kRegedit, kRegini}, {}, true}),
    [](const ::testing::TestParamInfo<ZazRow>& param) { return param.param.name; });

struct StepsCase {
  const char* name;
  std::uint32_t csp;
  std::uint32_t zaz;
  std::uint32_t regedit;
  std::uint32_t regini;
  std::uint32_t result;
};

class ResultAccumulator : public ProvidersTest, public ::testing::WithParamInterface<StepsCase> {};

// Every step runs; the first failure is the result, else a restart request.
TEST_P(ResultAccumulator, FirstFailureElseRestart) {
  const StepsCase& c = GetParam();
  state.options.installCsp = true;
  state.options.installUcsp = true;
  state.options.kcPattern = u"kc1*";
  fake.processes.exitCodes[u"msiexec /qn /i \"C:\\dist\\win32\\csp"] = c.csp;
  fake.processes.exitCodes[u"msiexec /qn /i \"C:\\dist\\win32\\ucsp"] = c.zaz;
  fake.processes.exitCodes[u"regedit"] = c.regedit;
  fake.processes.exitCodes[u"regini"] = c.regini;
  EXPECT_EQ(c.result, Run(false));
  EXPECT_EQ((std::vector<std::string>{kCspFresh, kZazFresh, kRegedit, kRegini}), CommandLines());
  EXPECT_EQ(std::vector<std::string>{"root"}, fake.certs.added);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ResultAccumulator,
    ::testing::Values(StepsCase{"FailureAndRestart", 1603, 3010, 0, 0, 1603},
                      StepsCase{"RestartTwice", 3010, 0, 0, 3010, 3010},
                      StepsCase{"CspRestartOnly", 3010, 0, 0, 0, 3010},
                      StepsCase{"CspFailureDoesNotStopTheRest", 1603, 0, 0, 0, 1603},
                      StepsCase{"ImportFailuresKept", 0, 0, 2, 5, 2},
                      StepsCase{"RestartThenImportFailure", 0, 3010, 0, 2, 2},
                      StepsCase{"FailuresNotMixed", 1603, 1618, 0, 0, 1603},
                      StepsCase{"AllSucceed", 0, 0, 0, 0, 0}),
    [](const ::testing::TestParamInfo<StepsCase>& param) { return param.param.name; });

TEST_F(ProvidersTest, MissingPackageIsTheResultDespiteARestart) {
  state.options.installUcsp = true;
  RemoveZazPackages();
  fake.processes.exitCodes[u"regedit"] = 3010;
  EXPECT_EQ(232u, Run(false));
  EXPECT_EQ(std::vector<std::string>{kBoxNotFound}, Boxes());
}

TEST_F(ProvidersTest, MissingImportProgramIsNotHiddenByARestart) {
  state.options.installUcsp = true;
  fake.files.Remove(u"C:\\windows\\system32\\regini.exe");
  fake.processes.exitCodes[u"regedit"] = 3010;
  EXPECT_EQ(2u, Run(false));  // not 3010 | 2 = 3010
  EXPECT_EQ((std::vector<std::string>{kZazFresh, kRegedit}), CommandLines());
}

TEST_F(ProvidersTest, OnlyZazCspAsksNothingAboutTheCsp) {
  state.options.installUcsp = true;
  EXPECT_EQ(0u, Run(false));
  EXPECT_EQ(std::vector<std::u16string>{kZazCspProductCode}, fake.installer.productStateQueries);
  EXPECT_EQ((std::vector<std::string>{kZazFresh, kRegedit, kRegini}), CommandLines());
  EXPECT_EQ(1, fake.platform.isWow64Calls);  // the import files follow the package taken
}

TEST_F(ProvidersTest, MissingZazPackageSilentShowsNothingAndStillAddsCertificates) {
  state.options.installUcsp = true;
  RemoveZazPackages();
  fake.processes.exitCodes[u"regedit"] = 1;
  fake.processes.exitCodes[u"regini"] = 4;
  EXPECT_EQ(232u, Run(true));
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_EQ((std::vector<std::string>{kRegedit, kRegini}), CommandLines());
  EXPECT_EQ(std::vector<std::string>{"root"}, fake.certs.added);
}

TEST_F(ProvidersTest, InstalledZazWithoutPackageStopsAtTheDecisionEvenWhenSilent) {
  Install(kZazCspProductCode, 5, u"1.0", kCachedZaz, u"", u"1049");
  RemoveZazPackages();
  state.options.installUcsp = true;
  EXPECT_EQ(232u, Run(true));
  EXPECT_EQ(std::vector<std::string>{kBoxNotFound}, Boxes());
  EXPECT_TRUE(fake.processes.started.empty());
  EXPECT_TRUE(fake.certs.events.empty());
}

TEST_F(ProvidersTest, TooOldCspSkipsTheZazStage) {
  Install(kCspProductCode, 5, u"3.6.5000", kCachedCsp, u"kc2", u"1049");
  state.options.installCsp = true;
  state.options.installUcsp = true;
  EXPECT_EQ(6u, Run(false));
  EXPECT_TRUE(fake.processes.started.empty());
  EXPECT_TRUE(fake.certs.events.empty());
}

// A machine as the launcher sees it, what the distribution has for it, and what it takes.
struct PlatformCase {
  const char* name;
  bool isWow64;           // IsWow64Process's answer
  std::uint16_t native;   // IsWow64Process2's; 0: no such function
  int x64Attributes;      // GetMachineTypeAttributes for x64; -1: no such function
  bool arm64Packages;     // the distribution has arm64 packages of both providers
  bool arm64Settings;     // ... and the ZAZ CSP's arm64 settings files
  const char16_t* taken;  // the platform of the packages installed
  // What the trace gives the checker: the files of the registry import and of the ACL import.
  std::u16string registryFile;
  std::u16string aclFile;
};

class ProvidersPlatform : public ProvidersTest,
                          public ::testing::WithParamInterface<PlatformCase> {};

TEST_P(ProvidersPlatform, ChoosesPackagesAndImportFilesOfThePlatform) {
  const PlatformCase& c = GetParam();
  fake.platform.wow64 = c.isWow64;
  fake.platform.nativeMachine = c.native;
  fake.platform.x64Attributes = c.x64Attributes;
  if (c.arm64Packages) {
    AddPackage(u"C:\\dist\\arm64\\csp-arm64-kc1-rus.msi", u"3.6.7000");
    AddPackage(u"C:\\dist\\arm64\\ucsp-arm64-eng.msi", u"2.0");
  }
  if (c.arm64Settings) {
    fake.files.AddFile(u"C:\\dist\\ZAZ_arm64_2.reg");
    fake.files.AddFile(u"C:\\dist\\ZAZ_acl_arm64.acl");
  }
  state.options.installCsp = true;
  state.options.installUcsp = true;
  state.options.kcPattern = u"kc1*";
  state.options.langPattern = u"rus*";
  EXPECT_EQ(0u, Run(false));
  const std::u16string taken = c.taken;
  EXPECT_EQ(
      (std::vector<std::u16string>{u"C:\\dist\\" + taken + u"\\csp-" + taken + u"-kc1-rus.msi",
                                   u"C:\\dist\\" + taken + u"\\ucsp-" + taken + u"-eng.msi"}),
      fake.trace.PackagesInstalled());
  const auto imports = fake.trace.All<RecordedTrace::Import>();
  ASSERT_EQ(2u, imports.size());
  EXPECT_EQ(ImportKind::kRegistry, imports[0].kind);
  EXPECT_EQ(c.registryFile, imports[0].file);
  EXPECT_EQ(ImportKind::kAcl, imports[1].kind);
  EXPECT_EQ(c.aclFile, imports[1].file);
  // On 64-bit ARM Windows the x86 launcher sees the registry views and folders of 64-bit Windows.
  EXPECT_EQ(c.isWow64 || c.native == 0xAA64, IsWow64(fake.sys, state.wow64, true));
}

constexpr std::uint16_t kX86 = 0x014C, kAmd64 = 0x8664, kArm64 = 0xAA64;

INSTANTIATE_TEST_SUITE_P(
    Platforms, ProvidersPlatform,
    ::testing::Values(
        PlatformCase{"Wow64", true, 0, -1, false, false, u"x64", u"ZAZ_x64_2.reg",
                     u"ZAZ_acl_x64.acl"},
        PlatformCase{"Native32Bit", false, 0, -1, false, false, u"win32", u"ZAZ_x86_2.reg",
                     u"ZAZ_acl_x86.acl"},
        PlatformCase{"Native32BitWithIsWow64Process2", false, kX86, -1, true, true, u"win32",
                     u"ZAZ_x86_2.reg", u"ZAZ_acl_x86.acl"},
        PlatformCase{"X64IgnoresArm64Packages", true, kAmd64, 1, true, true, u"x64",
                     u"ZAZ_x64_2.reg", u"ZAZ_acl_x64.acl"},
        PlatformCase{"Windows11OnArm", true, kArm64, 1, true, true, u"arm64", u"ZAZ_arm64_2.reg",
                     u"ZAZ_acl_arm64.acl"},
        PlatformCase{"Windows11OnArmWithoutArm64Settings", true, kArm64, 1, true, false, u"arm64",
                     u"ZAZ_x64_2.reg", u"ZAZ_acl_x64.acl"},
        PlatformCase{"Windows11OnArmWithoutArm64Packages", true, kArm64, 1, false, true, u"x64",
                     u"ZAZ_x64_2.reg", u"ZAZ_acl_x64.acl"},
        // IsWow64Process answered FALSE for the x86 launcher there, and x64 programs do not run.
        PlatformCase{"Windows10OnArm", false, kArm64, -1, true, true, u"arm64", u"ZAZ_arm64_2.reg",
                     u"ZAZ_acl_arm64.acl"},
        PlatformCase{"Windows10OnArmWithoutArm64Packages", false, kArm64, -1, false, false,
                     u"win32", u"ZAZ_x86_2.reg", u"ZAZ_acl_x86.acl"},
        PlatformCase{"ArmWithoutX64UserMode", true, kArm64, 0, false, false, u"win32",
                     u"ZAZ_x86_2.reg", u"ZAZ_acl_x86.acl"}),
    [](const ::testing::TestParamInfo<PlatformCase>& param) { return param.param.name; });

// On Windows 11 on Arm the platform is chosen for the whole pattern, the installed language
// included: an arm64 package of another language leads to the x64 one, logged. A product left
// as it is gets no settings, which would be those of a platform it may not be of.
TEST_F(ProvidersTest, ArmUpgradeChoosesByTheCarriedLanguage) {
  fake.platform.nativeMachine = 0xAA64;
  fake.platform.x64Attributes = 1;
  fake.platform.wow64 = true;
  AddPackage(u"C:\\dist\\arm64\\ucsp-arm64-eng.msi", u"2.0");
  AddPackage(u"C:\\dist\\x64\\ucsp-x64-rus.msi", u"2.0");
  Install(kZazCspProductCode, 5, u"1.0", kCachedZaz, u"", u"1049");
  state.options.installUcsp = true;
  EXPECT_EQ(0u, Run(false));
  EXPECT_EQ((std::vector<std::string>{"msiexec /qn /i \"C:\\dist\\x64\\ucsp-x64-rus.msi\" U=1 "
                                      "REINSTALL=ALL REINSTALLMODE=vomus REBOOT=R",
                                      "regedit /s ZAZ_x64_2.reg", "regini ZAZ_acl_x64.acl"}),
            CommandLines());
  EXPECT_NE(std::find(fake.log.lines.begin(), fake.log.lines.end(),
                      u"ZAZ CSP: no arm64 package, the x64 package is taken: native ARM64 "
                      u"programs find it registered but cannot load it"),
            fake.log.lines.end());

  fake.processes.started.clear();
  Install(kZazCspProductCode, 5, u"2.0", kCachedZaz, u"", u"1049");
  EXPECT_EQ(0u, Run(false));
  EXPECT_TRUE(fake.processes.started.empty());
}

// The import files follow the package taken, also where IsWow64Process failed but answered.
TEST_F(ProvidersTest, ImportFilesFollowThePackageTaken) {
  FailingWow64Platform platform(fake.kernel);
  System sys{fake.installer, fake.files, fake.processes, fake.certs,
             platform,       fake.ui,    fake.resources};
  state.options.installUcsp = true;
  EXPECT_EQ(0u, InstallProviders(sys, state, fake.PromptsFor(false)));
  EXPECT_EQ(
      (std::vector<std::string>{"msiexec /qn /i \"C:\\dist\\x64\\ucsp-x64-eng.msi\"  REBOOT=R",
                                "regedit /s ZAZ_x64_2.reg", "regini ZAZ_acl_x64.acl"}),
      CommandLines());
}

TEST_F(ProvidersTest, NoProviderFlagsDoNothingButTheSuffix) {
  EXPECT_EQ(0u, Run(false));
  EXPECT_TRUE(fake.processes.started.empty());
  EXPECT_TRUE(fake.installer.productStateQueries.empty());
  EXPECT_EQ(1, fake.platform.isWow64Calls);
}

}  // namespace
