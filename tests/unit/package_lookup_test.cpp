#include "installer/package_lookup.h"

#include "install_fixture.h"

namespace {

struct LookupCase {
  const char* name;
  std::vector<std::u16string> files;  // absolute; a name ending in '\' is a directory
  std::u16string pattern;
  std::uint32_t result;
  std::u16string path;  // expected path when the result is 0
};

class FindPackageFileTable : public InstallTest,
                             public ::testing::WithParamInterface<LookupCase> {};

TEST_P(FindPackageFileTable, FindsTheFirstMatchOneLevelDown) {
  const LookupCase& c = GetParam();
  fake.files.AddDirectory(u"C:\\dist");
  for (const auto& file : c.files) {
    if (!file.empty() && file.back() == u'\\') {
      fake.files.AddDirectory(file.substr(0, file.size() - 1));
    } else {
      fake.files.AddFile(file);
    }
  }
  std::u16string path = u"untouched";
  EXPECT_EQ(c.result, FindPackageFile(fake.sys, c.pattern, path));
  EXPECT_EQ(Utf8(c.result == 0 ? c.path : u"untouched"), Utf8(path));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindPackageFileTable,
    ::testing::Values(
        LookupCase{"FileInCurrentDirectoryIsNoCandidate",
                   {u"C:\\dist\\csp-x64.msi"},
                   u"csp*.msi",
                   232,
                   u""},
        LookupCase{"SameFileInSubdirectory",
                   {u"C:\\dist\\x64\\csp-x64.msi"},
                   u"csp*.msi",
                   0,
                   u"C:\\dist\\x64\\csp-x64.msi"},
        LookupCase{"DirectoriesStartingWithFullStopSkipped",
                   {u"C:\\dist\\.svn\\csp-a.msi", u"C:\\dist\\x64\\csp-b.msi"},
                   u"csp*.msi",
                   0,
                   u"C:\\dist\\x64\\csp-b.msi"},
        LookupCase{"OnlyFullStopDirectories", {u"C:\\dist\\.svn\\csp.msi"}, u"csp*.msi", 232, u""},
        LookupCase{"ListingOrderWin32BeforeX64",
                   {u"C:\\dist\\x64\\csp-x64.msi", u"C:\\dist\\WIN32\\csp-win32.msi"},
                   u"csp*.msi",
                   0,
                   u"C:\\dist\\WIN32\\csp-win32.msi"},
        LookupCase{"UnderscoreSortsAfterLettersAsOnNtfs",
                   {u"C:\\dist\\_old\\csp-1.msi", u"C:\\dist\\new\\csp-2.msi"},
                   u"csp*.msi",
                   0,
                   u"C:\\dist\\new\\csp-2.msi"},
        LookupCase{"FirstMatchOfTheSearchInOneDirectory",
                   {u"C:\\dist\\x64\\csp-b.msi", u"C:\\dist\\x64\\csp-a.msi"},
                   u"csp*.msi",
                   0,
                   u"C:\\dist\\x64\\csp-a.msi"},
        LookupCase{"TrailingBlankIgnored",
                   {u"C:\\dist\\x64\\csp-x64-kc1.msi"},
                   u"csp*x64*kc1* ",
                   0,
                   u"C:\\dist\\x64\\csp-x64-kc1.msi"},
        LookupCase{"TrailingBlanksAndFullStopsIgnored",
                   {u"C:\\dist\\x64\\zirelcom-x64.msi"},
                   u"zirelcom*x64*. .",
                   0,
                   u"C:\\dist\\x64\\zirelcom-x64.msi"},
        LookupCase{"InnerBlankMatchedLiterally",
                   {u"C:\\dist\\x64\\csp-x64-kc2-rus.msi", u"C:\\dist\\x86\\csp-x64 kc2-rus.msi"},
                   u"csp*x64* kc2*rus*",
                   0,
                   u"C:\\dist\\x86\\csp-x64 kc2-rus.msi"},
        LookupCase{"InnerBlankWithoutSuchFile",
                   {u"C:\\dist\\x64\\csp-x64-kc2-rus.msi"},
                   u"csp*x64* kc2*rus*",
                   232,
                   u""},
        LookupCase{"MatchingSubdirectoryTakenLikeAFile",
                   {u"C:\\dist\\x64\\zirelcom-x64\\"},
                   u"zirelcom*x64*",
                   0,
                   u"C:\\dist\\x64\\zirelcom-x64"},
        LookupCase{"CaseIgnored",
                   {u"C:\\dist\\x64\\Csp-X64.MSI"},
                   u"CSP*.msi",
                   0,
                   u"C:\\dist\\x64\\Csp-X64.MSI"},
        LookupCase{"QuestionMarkIsOneCharacter",
                   {u"C:\\dist\\a\\ucsp10.msi", u"C:\\dist\\b\\ucsp1.msi"},
                   u"ucsp?.msi",
                   0,
                   u"C:\\dist\\b\\ucsp1.msi"},
        LookupCase{"OnlyOneLevelDeep", {u"C:\\dist\\a\\b\\csp.msi"}, u"csp*.msi", 232, u""},
        LookupCase{"EmptyPatternFindsNothing", {u"C:\\dist\\x64\\csp.msi"}, u"", 232, u""},
        LookupCase{"EmptyCurrentDirectory", {}, u"csp*.msi", 232, u""},
        LookupCase{"NoMatchAnywhere",
                   {u"C:\\dist\\x64\\ucsp.msi", u"C:\\dist\\win32\\zirelcom.msi"},
                   u"csp*.msi",
                   232,
                   u""}),
    [](const ::testing::TestParamInfo<LookupCase>& param) { return param.param.name; });

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
  EXPECT_EQ(5u, FindPackageFile(fake.sys, u"zirelcom*.msi", path));
  EXPECT_EQ(u"untouched", path);
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

TEST_F(FindPackageFileTest, PatternIsUsedAsGiven) {
  std::u16string pattern = u"zirelcom*x64*";
  ASSERT_EQ(0u, FindPackageFile(fake.sys, pattern, path));
  EXPECT_EQ(u"zirelcom*x64*", pattern);
  EXPECT_EQ(u"C:\\dist\\x64\\zirelcom-x64.msi", path);
  EXPECT_EQ((std::vector<std::u16string>{u"*", u"win32\\zirelcom*x64*", u"x64\\zirelcom*x64*"}),
            fake.files.searches);
}

}  // namespace
