#include "actions/core_install_stages.h"

#include "common/product_catalogue.h"
#include "install_fixture.h"

namespace {

class CoreInstallStagesTest : public InstallTest {
 protected:
  SetupState state;
  CoreInstallStages stages{fake.sys, state};
};

TEST_F(CoreInstallStagesTest, PluginStageWorksOnTheRunsState) {
  fake.files.AddFile(u"C:\\dist\\x64\\zirelcom-x64.msi");
  fake.installer.packages[u"C:\\dist\\x64\\zirelcom-x64.msi"][u"ProductVersion"] = u"2.0";
  fake.installer.products[kPluginProductCode].info[u"VersionString"] = u"1.0";
  fake.processes.exitCodes[u"msiexec /qn /x"] = 3010;
  fake.platform.wow64 = true;
  EXPECT_EQ(0u, stages.InstallPlugin(u"A=1 ", fake.PromptsFor(false)));
  EXPECT_TRUE(state.restartPending);
  EXPECT_EQ(Wow64Cache::State::kPresent, state.wow64.state);
}

TEST_F(CoreInstallStagesTest, ProviderStageReadsTheRunsOptionsAndSharesTheWow64Cache) {
  fake.files.AddFile(u"C:\\dist\\x64\\ucsp-x64.msi");
  state.options.installUcsp = true;
  fake.platform.wow64 = true;
  fake.processes.exitCodes[u"regedit"] = 3010;
  state.options.ucspArgs = u"U=1 ";
  EXPECT_EQ(3010u, stages.InstallProviders(fake.PromptsFor(false)));
  EXPECT_EQ(
      (std::vector<std::string>{"msiexec /qn /i \"C:\\dist\\x64\\ucsp-x64.msi\" U=1  REBOOT=R",
                                "regedit /s ZAZ_x64_2.reg", "regini ZAZ_acl_x64.acl"}),
      CommandLines());
  fake.files.AddFile(u"C:\\dist\\x64\\zirelcom-x64.msi");
  EXPECT_EQ(0u, stages.InstallPlugin(u"", fake.PromptsFor(false)));
  EXPECT_EQ(1, fake.platform.moduleLookups);
}

}  // namespace
