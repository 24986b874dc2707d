#include "actions/package_install.h"

#include "install_fixture.h"

namespace {

constexpr char16_t kProduct[] = u"{6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841}";

class InstallPackageTest : public InstallTest {
 protected:
  void SetUp() override { fake.files.AddFile(u"C:\\dist\\x64\\csp-x64-kc2-rus.msi"); }
};

struct CommandCase {
  const char* name;
  std::u16string args;
  std::string command;
};

class InstallPackageCommand : public InstallPackageTest,
                              public ::testing::WithParamInterface<CommandCase> {};

TEST_P(InstallPackageCommand, ComposesTheInstallCommandByteForByte) {
  const CommandCase& c = GetParam();
  const std::u16string args = c.args;
  EXPECT_EQ(0u, InstallPackage(fake.sys, kProduct, u"csp*x64*", args, fake.PromptsFor(false)));
  EXPECT_EQ(std::vector<std::string>{c.command}, CommandLines());
  // The trace names the package and the very line started, whatever the arguments hold.
  EXPECT_EQ(std::vector<std::u16string>{u"C:\\dist\\x64\\csp-x64-kc2-rus.msi"},
            fake.trace.PackagesInstalled());
  EXPECT_EQ(fake.processes.CommandLines()[0],
            fake.trace.Last<RecordedTrace::Install>()->commandLine);
  EXPECT_EQ(c.args, args);
  EXPECT_TRUE(fake.ui.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, InstallPackageCommand,
    ::testing::Values(
        CommandCase{"Empty", u"",
                    "msiexec /qn /i \"C:\\dist\\x64\\csp-x64-kc2-rus.msi\"  REBOOT=R"},
        CommandCase{"OneAssignmentWithItsBlank", u"ALLUSERS=1 ",
                    "msiexec /qn /i \"C:\\dist\\x64\\csp-x64-kc2-rus.msi\" ALLUSERS=1  REBOOT=R"},
        CommandCase{"RebootAlreadyGivenIsAppendedAgain", u"REBOOT=R ",
                    "msiexec /qn /i \"C:\\dist\\x64\\csp-x64-kc2-rus.msi\" REBOOT=R  REBOOT=R"},
        CommandCase{"UpgradeProperties", u"REINSTALL=ALL REINSTALLMODE=vomus",
                    "msiexec /qn /i \"C:\\dist\\x64\\csp-x64-kc2-rus.msi\" REINSTALL=ALL "
                    "REINSTALLMODE=vomus REBOOT=R"},
        CommandCase{"FeatureAddedAfterUserText", u"A=\"x y\"  ADDLOCAL=VIVAZED",
                    "msiexec /qn /i \"C:\\dist\\x64\\csp-x64-kc2-rus.msi\" A=\"x y\"  "
                    "ADDLOCAL=VIVAZED REBOOT=R"},
        CommandCase{"AnotherPackageInTheArguments", u"/i \"C:\\x.msi\" ",
                    "msiexec /qn /i \"C:\\dist\\x64\\csp-x64-kc2-rus.msi\" /i \"C:\\x.msi\"  "
                    "REBOOT=R"},
        CommandCase{"CyrillicKeptAsIs", u"ПАПКА=Д ",
                    "msiexec /qn /i \"C:\\dist\\x64\\csp-x64-kc2-rus.msi\" ПАПКА=Д  REBOOT=R"}),
    [](const ::testing::TestParamInfo<CommandCase>& param) { return param.param.name; });

TEST_F(InstallPackageTest, PathWithBlanksIsQuotedAndOnlyTheFileNameGoesToTheSourceList) {
  fake.files.currentDirectory = u"C:\\Program Files\\dist";
  fake.files.AddFile(u"C:\\Program Files\\dist\\Win 32\\zirelcom win32.msi");
  EXPECT_EQ(0u, InstallPackage(fake.sys, kProduct, u"zirelcom*win32*", u"", fake.PromptsFor(true)));
  EXPECT_EQ(std::vector<std::string>{"msiexec /qn /i \"C:\\Program Files\\dist\\Win 32\\zirelcom "
                                     "win32.msi\"  REBOOT=R"},
            CommandLines());
  EXPECT_EQ(std::vector<std::u16string>{u"C:\\Program Files\\dist\\Win 32\\zirelcom win32.msi"},
            fake.trace.PackagesInstalled());
  EXPECT_EQ((std::vector<std::string>{
                "ClearAll {6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841} user=null reserved=0",
                "SetInfo {6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841} user=null context=4 options=0 "
                "PackageName=zirelcom win32.msi"}),
            fake.installer.sourceListCalls);
}

TEST_F(InstallPackageTest, SourceListIsSetBeforeMsiexecRunsAndItsFailuresAreIgnored) {
  // The product is unknown to the installer, so both source-list calls fail with 1605.
  fake.processes.exitCodes[u"msiexec"] = 3010;
  EXPECT_EQ(3010u, InstallPackage(fake.sys, kProduct, u"csp*", u"", fake.PromptsFor(false)));
  EXPECT_EQ((std::vector<std::string>{
                "MsiSourceListClearAll {6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841}",
                "MsiSourceListSetInfo {6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841} "
                "PackageName=csp-x64-kc2-rus.msi",
                "CreateProcess msiexec /qn /i \"C:\\dist\\x64\\csp-x64-kc2-rus.msi\"  REBOOT=R"}),
            fake.kernel.log);
}

TEST_F(InstallPackageTest, MsiexecResultIsReturnedUnchangedWithoutMessage) {
  fake.processes.exitCodes[u"msiexec"] = 1603;
  EXPECT_EQ(1603u, InstallPackage(fake.sys, kProduct, u"csp*", u"", fake.PromptsFor(false)));
  fake.processes.startErrors[u"msiexec"] = 5;
  EXPECT_EQ(5u, InstallPackage(fake.sys, kProduct, u"csp*", u"", fake.PromptsFor(false)));
  EXPECT_TRUE(fake.ui.boxes.empty());
}

struct MissingCase {
  const char* name;
  bool silent;
  bool currentDirectoryFails;
  std::uint32_t result;
  std::vector<std::string> boxes;
};

class InstallPackageMissing : public InstallPackageTest,
                              public ::testing::WithParamInterface<MissingCase> {};

TEST_P(InstallPackageMissing, ReportsTheLookupAndDoesNothingElse) {
  const MissingCase& c = GetParam();
  fake.files.currentDirectoryFails = c.currentDirectoryFails;
  fake.files.currentDirectoryError = 5;
  const std::u16string pattern = c.currentDirectoryFails ? u"csp*" : u"ucsp*";
  EXPECT_EQ(c.result,
            InstallPackage(fake.sys, kProduct, pattern, u"A=1 ", fake.PromptsFor(c.silent)));
  EXPECT_EQ(c.boxes, Boxes());
  EXPECT_TRUE(fake.processes.started.empty());
  EXPECT_TRUE(fake.installer.sourceListCalls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InstallPackageMissing,
    ::testing::Values(
        MissingCase{"NoMatch", false, false, 232, {"Ошибка|Не возможно найти msi-пакет.|16"}},
        MissingCase{"NoMatchSilent", true, false, 232, {}},
        MissingCase{"CurrentDirectoryUnreadable",
                    false,
                    true,
                    5,
                    {"Ошибка|Не возможно найти msi-пакет.|16"}},
        MissingCase{"CurrentDirectoryUnreadableSilent", true, true, 5, {}}),
    [](const ::testing::TestParamInfo<MissingCase>& param) { return param.param.name; });

}  // namespace
