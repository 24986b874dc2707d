#include "setup/platform_check.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(c.expectedCode, CheckPlatform(fake.sys, silent));
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
        ::testing::Values(PlatformCase{"Nt4", 4, 0, 6, kPlatformTooOld, k116, true},
                          PlatformCase{"Major3", 3, 51, 0, kPlatformTooOld, k116, true},
                          PlatformCase{"Major0", 0, 0, 0, kPlatformTooOld, k116, true},
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
    EXPECT_EQ(2u, CheckPlatform(fake.sys, silent));
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

}  // namespace
