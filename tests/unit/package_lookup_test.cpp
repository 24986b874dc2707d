#include "installer/package_lookup.h"

#include "install_fixture.h"

namespace {

struct LookupCase {
  const char* name;
  std::vector<std::u16string> files;  // below C:\dist; a name ending in '\' is a directory
  std::u16string pattern;
  std::uint32_t result;
  std::u16string path;  // below C:\dist, expected when the result is 0
};

class FindPackageFileTable : public InstallTest,
                             public ::testing::WithParamInterface<LookupCase> {};

TEST_P(FindPackageFileTable, FindsTheFirstMatchOneLevelDown) {
  const LookupCase& c = GetParam();
  fake.files.AddDirectory(u"C:\\dist");
  for (const auto& file : c.files) {
    if (file.back() == u'\\') {
      fake.files.AddDirectory(u"C:\\dist\\" + file.substr(0, file.size() - 1));
    } else {
      fake.files.AddFile(u"C:\\dist\\" + file);
    }
  }
  std::u16string path = u"untouched";
  EXPECT_EQ(c.result, FindPackageFile(fake.sys, c.pattern, path));
  EXPECT_EQ(Utf8(c.result == 0 ? u"C:\\dist\\" + c.path : u"untouched"), Utf8(path));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, FindPackageFileTable,
    ::testing::Values(
        LookupCase{"FileInCurrentDirectoryIsNoCandidate", {u"csp-x64.msi"}, u"csp*.msi", 232, u""},
        LookupCase{"SameFileInSubdirectory", {u"x64\\csp-x64.msi"}, u"csp*.msi", 0,
                   u"x64\\csp-x64.msi"},
        LookupCase{"DirectoriesStartingWithFullStopSkipped",
                   {u".svn\\csp-a.msi", u"x64\\csp-b.msi"}, u"csp*.msi", 0, u"x64\\csp-b.msi"},
        LookupCase{"OnlyFullStopDirectories", {u".svn\\csp.msi"}, u"csp*.msi", 232, u""},
        LookupCase{"ListingOrderWin32BeforeX64", {u"x64\\csp-x64.msi", u"WIN32\\csp-win32.msi"},
                   u"csp*.msi", 0, u"WIN32\\csp-win32.msi"},
        LookupCase{"UnderscoreSortsAfterLettersAsOnNtfs", {u"_old\\csp-1.msi", u"new\\csp-2.msi"},
                   u"csp*.msi", 0, u"new\\csp-2.msi"},
        LookupCase{"FirstMatchOfTheSearchInOneDirectory", {u"x64\\csp-b.msi", u"x64\\csp-a.msi"},
                   u"csp*.msi", 0, u"x64\\csp-a.msi"},
        LookupCase{"TrailingBlankIgnored", {u"x64\\csp-x64-kc1.msi"}, u"csp*x64*kc1* ", 0,
                   u"x64\\csp-x64-kc1.msi"},
        LookupCase{"TrailingBlanksAndFullStopsIgnored", {u"x64\\zirelcom-x64.msi"},
                   u"zirelcom*x64*. .", 0, u"x64\\zirelcom-x64.msi"},
        LookupCase{"InnerBlankMatchedLiterally",
                   {u"x64\\csp-x64-kc2-rus.msi", u"x86\\csp-x64 kc2-rus.msi"},
                   u"csp*x64* kc2*rus*", 0, u"x86\\csp-x64 kc2-rus.msi"},
        LookupCase{"InnerBlankWithoutSuchFile", {u"x64\\csp-x64-kc2-rus.msi"},
                   u"csp*x64* kc2*rus*", 232, u""},
        LookupCase{"MatchingSubdirectoryTakenLikeAFile", {u"x64\\zirelcom-x64\\"},
                   u"zirelcom*x64*", 0, u"x64\\zirelcom-x64"},
        LookupCase{"CaseIgnored", {u"x64\\Csp-X64.MSI"}, u"CSP*.msi", 0, u"x64\\Csp-X64.MSI"},
        LookupCase{"QuestionMarkIsOneCharacter", {u"a\\ucsp10.msi", u"b\\ucsp1.msi"},
                   u"ucsp?.msi", 0, u"b\\ucsp1.msi"},
        LookupCase{"OnlyOneLevelDeep", {u"a\\b\\csp.msi"}, u"csp*.msi", 232, u""},
        LookupCase{"EmptyPatternFindsNothing", {u"x64\\csp.msi"}, u"", 232, u""},
        LookupCase{"EmptyCurrentDirectory", {}, u"csp*.msi", 232, u""},
        LookupCase{"NoMatchAnywhere", {u"x64\\ucsp.msi", u"win32\\zirelcom.msi"}, u"csp*.msi",
                   232, u""}),
    [](const ::testing::TestParamInfo<LookupCase>& param) { return param.param.name; });
// clang-format on

class FindPackageFileTest : public InstallTest {
 protected:
  void SetUp() override {
    fake.files.AddFile(u"C:\\dist\\win32\\zirelcom-win32.msi");
    fake.files.AddFile(u"C:\\dist\\x64\\zirelcom-x64.msi");
  }
  std::u16string path = u"untouched";
};

TEST_F(FindPackageFileTest, StopsAtTheFirstMatchAndSkipsFullStopDirectories) {
  fake.files.AddFile(u"C:\\dist\\.git\\zirelcom.msi");
  ASSERT_EQ(0u, FindPackageFile(fake.sys, u"zirelcom*.msi", path));
  EXPECT_EQ((std::vector<std::u16string>{u"*", u"win32\\zirelcom*.msi"}), fake.files.searches);
}

TEST_F(FindPackageFileTest, RootDirectoryGivesTwoBackslashesInARow) {
  fake.files.currentDirectory = u"D:\\";
  fake.files.AddFile(u"D:\\x64\\csp-x64.msi");
  ASSERT_EQ(0u, FindPackageFile(fake.sys, u"csp*", path));
  EXPECT_EQ(u"D:\\\\x64\\csp-x64.msi", path);
}

TEST_F(FindPackageFileTest, CurrentDirectoryReadFailureReturnsItsError) {
  fake.files.currentDirectoryFails = true;
  fake.files.currentDirectoryError = 5;
  fake.kernel.lastError = 87;  // left by some earlier call: never the answer
  EXPECT_EQ(5u, FindPackageFile(fake.sys, u"zirelcom*.msi", path));
  EXPECT_EQ(u"untouched", path);
  EXPECT_EQ(u"package: current directory unreadable, error 5", fake.log.lines.back());
  EXPECT_EQ(2u, fake.kernel.HandedOut("search"));  // both closed: checked after the test
}

TEST_F(FindPackageFileTest, CurrentDirectoryLongerThanThePathLimitIsReadInFull) {
  const std::u16string longDirectory = u"C:\\" + std::u16string(300, u'L');
  fake.files.currentDirectory = longDirectory;
  fake.files.AddFile(longDirectory + u"\\x64\\zirelcom-x64.msi");
  ASSERT_EQ(0u, FindPackageFile(fake.sys, u"zirelcom*", path));
  EXPECT_EQ(longDirectory + u"\\x64\\zirelcom-x64.msi", path);
}

TEST_F(FindPackageFileTest, UnlistableCurrentDirectoryCountsAsNothingFound) {
  fake.files.currentDirectoryDeleted = true;
  EXPECT_EQ(232u, FindPackageFile(fake.sys, u"zirelcom*.msi", path));
  EXPECT_EQ(u"untouched", path);
}

}  // namespace
