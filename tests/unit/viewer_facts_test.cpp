#include "ui/viewer_facts.h"

#include <gtest/gtest.h>

#include "fakes/fake_run_log.h"

namespace {

struct Row {
  const char* name;
  ViewerFacts facts;
  bool canSee;
  const char16_t* logged;
};

void PrintTo(const Row& row, std::ostream* os) {
  *os << row.name;
}

class SomebodyCanSeeTest : public ::testing::TestWithParam<Row> {};

TEST_P(SomebodyCanSeeTest, DecidesAndLogsTheFacts) {
  const Row& row = GetParam();
  FakeRunLog log;
  EXPECT_EQ(row.canSee, DecideSomebodyCanSee(row.facts, log));
  EXPECT_EQ(std::vector<std::u16string>{row.logged}, log.lines);
}

constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t kVisible = 1;
constexpr std::uint32_t kVisibleWithOtherBits = 0x101;

INSTANTIATE_TEST_SUITE_P(
    Rows, SomebodyCanSeeTest,
    ::testing::Values(
        Row{"UserDesktop",
            {kVisible, 1, 6},
            true,
            u"display: window station flags 1, session 1; somebody can see this process's "
            u"windows: yes"},
        Row{"InvisibleStation",
            {kNone, 1, 10},
            false,
            u"display: window station flags 0, session 1; somebody can see this process's "
            u"windows: no"},
        Row{"InvisibleStationOnWindows2000",
            {kNone, std::nullopt, 5},
            false,
            u"display: window station flags 0, session unreadable; somebody can see this "
            u"process's windows: no"},
        Row{"OtherFlagBitsDoNotCount",
            {kVisibleWithOtherBits, 2, 6},
            true,
            u"display: window station flags 257, session 2; somebody can see this process's "
            u"windows: yes"},
        // Since Vista nobody works in session 0, whatever its station says.
        Row{"SessionZeroSinceVista",
            {kVisible, 0, 6},
            false,
            u"display: window station flags 1, session 0; somebody can see this process's "
            u"windows: no"},
        // Before Vista the console user works in session 0.
        Row{"SessionZeroOnXp",
            {kVisible, 0, 5},
            true,
            u"display: window station flags 1, session 0; somebody can see this process's "
            u"windows: yes"},
        Row{"SessionZeroVersionUnread",
            {kVisible, 0, 0},
            true,
            u"display: window station flags 1, session 0; somebody can see this process's "
            u"windows: yes"},
        Row{"NothingReadable",
            {std::nullopt, std::nullopt, 0},
            true,
            u"display: window station flags unreadable, session unreadable; somebody can see "
            u"this process's windows: yes"},
        Row{"SessionZeroStationUnreadable",
            {std::nullopt, 0, 6},
            false,
            u"display: window station flags unreadable, session 0; somebody can see this "
            u"process's windows: no"}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
