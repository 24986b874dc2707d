#include "setup/platform_check.h"

#include <gtest/gtest.h>

#include "common/exit_codes.h"
#include "fakes/fake_system.h"

namespace {

struct PlatformCase {
  const char* name;
  std::uint32_t major;
  std::uint32_t minor;
  std::uint16_t servicePack;
  std::uint32_t expectedCode;
  std::u16string expectedText;  // empty: no box
  bool shownWhenSilent;
};

void PrintTo(const PlatformCase& c, std::ostream* os) {
  *os << c.name;
}

const std::u16string k116 = u"Установка продукта не возможна на ОС старше Windows 2000.";
const std::u16string k117 =
    u"Для установки продукта на Windows 2000 требуется пакет обновлений SP4.";
const std::u16string k118 = u"Для установки продукта на Windows XP требуется пакет обновлений SP2.";
const std::u16string k119 =
    u"Для установки продукта на Windows 2003 требуется пакет обновлений SP2.";

class PlatformCheckTest : public ::testing::TestWithParam<std::tuple<PlatformCase, bool>> {};

TEST_P(PlatformCheckTest, DecidesByVersionAndServicePack) {
  const auto& [c, silent] = GetParam();
  FakeSystem fake;
  fake.platform.version = OsVersion{284, c.major, c.minor, c.servicePack};
  EXPECT_EQ(c.expectedCode, CheckPlatform(fake.sys, fake.PromptsFor(silent)));
  EXPECT_EQ(std::vector<std::uint32_t>{284}, fake.platform.versionRecordSizes);
  const bool shown = !c.expectedText.empty() && (!silent || c.shownWhenSilent);
  ASSERT_EQ(shown ? 1u : 0u, fake.ui.boxes.size());
  if (shown) {
    EXPECT_EQ(c.expectedText, fake.ui.boxes[0].text);
    EXPECT_EQ(u"Vestacor Signavel", fake.ui.boxes[0].caption);
    EXPECT_EQ(0x10u, fake.ui.boxes[0].style);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PlatformCheckTest,
    ::testing::Combine(
        ::testing::Values(PlatformCase{"Nt4", 4, 0, 6, kExitPlatformTooOld, k116, true},
                          PlatformCase{"Major3", 3, 51, 0, kExitPlatformTooOld, k116, true},
                          PlatformCase{"Major0", 0, 0, 0, kExitPlatformTooOld, k116, true},
                          PlatformCase{"Win2000NoSp", 5, 0, 0, 3, k117, false},
                          PlatformCase{"Win2000Sp3", 5, 0, 3, 3, k117, false},
                          PlatformCase{"Win2000Sp4", 5, 0, 4, 0, u"", false},
                          PlatformCase{"WinXpSp1", 5, 1, 1, 4, k118, false},
                          PlatformCase{"WinXpSp2", 5, 1, 2, 0, u"", false},
                          PlatformCase{"WinXpSp3", 5, 1, 3, 0, u"", false},
                          PlatformCase{"Win2003NoSp", 5, 2, 0, 5, k119, false},
                          PlatformCase{"Win2003Sp1", 5, 2, 1, 5, k119, false},
                          PlatformCase{"Win2003Sp2", 5, 2, 2, 0, u"", false},
                          PlatformCase{"Windows5_3", 5, 3, 0, 0, u"", false},
                          PlatformCase{"VistaNoSp", 6, 0, 0, 0, u"", false},
                          PlatformCase{"Windows7Sp1", 6, 1, 1, 0, u"", false},
                          PlatformCase{"Windows10", 10, 0, 0, 0, u"", false},
                          PlatformCase{"ServicePackAbove32767", 5, 1, 0x8000, 0, u"", false}),
        ::testing::Bool()),
    [](const auto& p) {
      return std::string(std::get<0>(p.param).name) +
             (std::get<1>(p.param) ? "Silent" : "Interactive");
    });

TEST(CheckPlatform, UnreadableVersionShowsMessage121) {
  for (bool silent : {false, true}) {
    FakeSystem fake;
    fake.platform.versionFails = true;
    EXPECT_EQ(2u, CheckPlatform(fake.sys, fake.PromptsFor(silent)));
    if (silent) {
      EXPECT_TRUE(fake.ui.boxes.empty());
    } else {
      ASSERT_EQ(1u, fake.ui.boxes.size());
      EXPECT_EQ(
          u"Для установки продукта на Windows Vista или Windows 2008 требуется пакет "
          u"обновлений SP2.",
          fake.ui.boxes[0].text);
      EXPECT_EQ(u"Vestacor Signavel", fake.ui.boxes[0].caption);
      EXPECT_EQ(0x10u, fake.ui.boxes[0].style);
    }
  }
}

// Beside GetVersionExW's answer, the log holds RtlGetVersion's with the build: on Windows 10
// without a manifest entry for it the first says 6.2, the second the truth. The check itself
// goes by GetVersionExW alone.
TEST(CheckPlatform, LogsTheVersionFromRtlGetVersionBesideIt) {
  struct Row {
    const char* name;
    OsVersion version;
    bool versionFails;
    bool hasRtlGetVersion;
    OsVersion ntVersion;
    std::uint32_t expectedCode;
    std::vector<std::u16string> expectedLines;
  };
  const Row rows[] = {
      {"Windows10WithoutManifestEntry",
       {284, 6, 2, 0, 9200},
       false,
       true,
       {284, 10, 0, 0, 19045},
       0,
       {u"Windows version: 6.2, service pack 0",
        u"Windows version (RtlGetVersion): 10.0, build 19045"}},
      {"Windows7Sp1",
       {284, 6, 1, 1, 7601},
       false,
       true,
       {284, 6, 1, 1, 7601},
       0,
       {u"Windows version: 6.1, service pack 1",
        u"Windows version (RtlGetVersion): 6.1, build 7601"}},
      {"Nt4WithoutRtlGetVersion",
       {284, 4, 0, 6, 1381},
       false,
       false,
       {},
       kExitPlatformTooOld,
       {u"Windows version: 4.0, service pack 6", u"Windows version (RtlGetVersion): unavailable"}},
      {"GetVersionExFails",
       {},
       true,
       true,
       {284, 5, 1, 3, 2600},
       2,
       {u"Windows version: unreadable, error 87",
        u"Windows version (RtlGetVersion): 5.1, build 2600"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeSystem fake;
    fake.platform.version = row.version;
    fake.platform.versionFails = row.versionFails;
    fake.platform.hasRtlGetVersion = row.hasRtlGetVersion;
    fake.platform.ntVersion = row.ntVersion;
    EXPECT_EQ(row.expectedCode, CheckPlatform(fake.sys, fake.PromptsFor(true)));
    // The two lines come first; a refusal's box follows them.
    ASSERT_GE(fake.log.lines.size(), 2u);
    EXPECT_EQ(row.expectedLines,
              std::vector<std::u16string>(fake.log.lines.begin(), fake.log.lines.begin() + 2));
  }
}

}  // namespace
