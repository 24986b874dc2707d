#include "actions/plugin_install.h"

#include "common/product_catalogue.h"
#include "install_fixture.h"

namespace {

constexpr int kNotInstalled = -100;  // the product is unknown to the installer
const std::string kRemove = "msiexec /qn /x {B5290F4D-7E3A-46C1-8D95-0A6F2C8E13B7} REBOOT=R";
const std::string kInstall = "msiexec /qn /i \"C:\\dist\\win32\\zirelcom-win32.msi\" A=1  REBOOT=R";
const std::string kInstallFeature =
    "msiexec /qn /i \"C:\\dist\\win32\\zirelcom-win32.msi\" A=1  ADDLOCAL=VIVAZED REBOOT=R";
const std::string kVersionUnreadable =
    "Ошибка|Не возможно узнать версию установленного msi-пакета.|16";

class InstallPluginTest : public InstallTest {
 protected:
  void SetUp() override {
    for (const std::u16string path :
         {u"C:\\dist\\win32\\zirelcom-win32.msi", u"C:\\dist\\x64\\zirelcom-x64.msi"}) {
      fake.files.AddFile(path);
      fake.installer.packages[path][u"ProductVersion"] = u"2.0.0";
    }
  }
  void InstallProduct(int installState, const std::u16string& version, int feature) {
    auto& product = fake.installer.products[kPluginProductCode];
    product.state = installState;
    if (!version.empty()) product.info[u"VersionString"] = version;
    product.features[u"VIVAZED"] = feature;
  }
  SetupState state;
};

struct PluginCase {
  const char* name;
  int productState;
  std::u16string installedVersion;  // empty: unreadable
  int featureState;
  std::uint32_t removalCode;
  std::uint32_t installCode;
  bool silent;
  std::uint32_t result;
  std::vector<std::string> commands;
  bool restartPending;
  std::vector<std::string> boxes;
};

class InstallPluginTable : public InstallPluginTest,
                           public ::testing::WithParamInterface<PluginCase> {};

TEST_P(InstallPluginTable, FollowsTheDecisionTable) {
  const PluginCase& c = GetParam();
  if (c.productState != kNotInstalled) {
    InstallProduct(c.productState, c.installedVersion, c.featureState);
  }
  fake.processes.exitCodes[u"msiexec /qn /x"] = c.removalCode;
  fake.processes.exitCodes[u"msiexec /qn /i"] = c.installCode;
  const std::u16string args = u"A=1 ";
  EXPECT_EQ(c.result, InstallPlugin(fake.sys, state, args, fake.PromptsFor(c.silent)));
  EXPECT_EQ(c.commands, CommandLines());
  EXPECT_EQ(c.restartPending, state.restartPending);
  EXPECT_EQ(c.boxes, Boxes());
  EXPECT_EQ(u"A=1 ", args);
  EXPECT_EQ(1, fake.platform.isWow64Calls);  // the suffix is computed in every case
}

// Columns: product state, installed version (empty: unreadable), "VIVAZED" state, removal
// exit code, install exit code, silent | result, command lines, restartPending, boxes.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rows, InstallPluginTable,
    ::testing::Values(
        PluginCase{"NotInstalledFreshInstall", kNotInstalled, u"", 0, 0, 3010, false,
                   3010, {kInstall}, false, {}},
        PluginCase{"DecisionFails", 5, u"", 3, 0, 0, false,
                   1608, {}, false, {kVersionUnreadable}},
        PluginCase{"DecisionFailsMessageShownAlsoSilent", 5, u"", 3, 0, 0, true,
                   1608, {}, false, {kVersionUnreadable}},
        PluginCase{"NewerRemovedThenInstalled", 5, u"1.9.9", 3, 0, 1603, false,
                   1603, {kRemove, kInstall}, false, {}},
        PluginCase{"NewerRemovalAsksForRestart", 5, u"1.9.9", 3, 3010, 0, false,
                   0, {kRemove}, true, {}},
        PluginCase{"NewerRemovalFails", 5, u"1.9.9", 3, 1603, 0, false,
                   1603, {kRemove}, false, {}},
        PluginCase{"SameVersionFeatureAbsent", 5, u"2.0.0", 2, 0, 3010, false,
                   3010, {kInstallFeature}, false, {}},
        PluginCase{"SameVersionFeaturePresent", 5, u"2.0.0", 3, 0, 0, false,
                   0, {}, false, {}},
        PluginCase{"OlderPackageFeatureAbsent", 5, u"2.0.1", 2, 0, 0, false,
                   0, {kInstallFeature}, false, {}},
        PluginCase{"OlderPackageFeatureUnknown", 5, u"2.0.1", -1, 0, 0, false,
                   0, {}, false, {}},
        PluginCase{"AdvertisedCountsAsInstalled", 1, u"1.0", 3, 0, 0, false,
                   0, {kRemove, kInstall}, false, {}},
        PluginCase{"AbsentCountsAsInstalled", 2, u"2.0.0", 2, 0, 0, false,
                   0, {kInstallFeature}, false, {}}),
    [](const ::testing::TestParamInfo<PluginCase>& param) { return param.param.name; });
// clang-format on

TEST_F(InstallPluginTest, FreshInstallAsksNoVersion) {
  EXPECT_EQ(0u, InstallPlugin(fake.sys, state, u"", fake.PromptsFor(false)));
  EXPECT_TRUE(fake.installer.openedPackages.empty());
  EXPECT_EQ(std::vector<std::u16string>{kPluginProductCode}, fake.installer.productStateQueries);
}

struct ArchitectureCase {
  const char* name;
  bool hasIsWow64Process;
  bool wow64;
  std::string command;
};

class InstallPluginArchitecture : public InstallPluginTest,
                                  public ::testing::WithParamInterface<ArchitectureCase> {};

TEST_P(InstallPluginArchitecture, ChoosesThePackageOfThePlatform) {
  fake.platform.hasIsWow64Process = GetParam().hasIsWow64Process;
  fake.platform.wow64 = GetParam().wow64;
  EXPECT_EQ(0u, InstallPlugin(fake.sys, state, u"", fake.PromptsFor(false)));
  EXPECT_EQ(std::vector<std::string>{GetParam().command}, CommandLines());
}

INSTANTIATE_TEST_SUITE_P(
    Platforms, InstallPluginArchitecture,
    ::testing::Values(
        ArchitectureCase{"Wow64", true, true,
                         "msiexec /qn /i \"C:\\dist\\x64\\zirelcom-x64.msi\"  REBOOT=R"},
        ArchitectureCase{"Native32Bit", true, false,
                         "msiexec /qn /i \"C:\\dist\\win32\\zirelcom-win32.msi\"  REBOOT=R"},
        ArchitectureCase{"NoIsWow64Process", false, true,
                         "msiexec /qn /i \"C:\\dist\\win32\\zirelcom-win32.msi\"  REBOOT=R"}),
    [](const ::testing::TestParamInfo<ArchitectureCase>& param) { return param.param.name; });

TEST_F(InstallPluginTest, MissingPackageSilentShowsNothingAndReturns232) {
  fake.files.Remove(u"C:\\dist\\win32\\zirelcom-win32.msi");
  fake.files.Remove(u"C:\\dist\\x64\\zirelcom-x64.msi");
  EXPECT_EQ(232u, InstallPlugin(fake.sys, state, u"", fake.PromptsFor(true)));
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_TRUE(fake.processes.started.empty());
}

}  // namespace
