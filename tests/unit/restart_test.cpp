#include "setup/restart.h"

#include <gtest/gtest.h>

#include "fakes/fake_system.h"

namespace {

TEST(RestartSystem, EnablesShutdownPrivilegeThenRequestsForcedReboot) {
  FakeSystem fake;
  fake.kernel.lastError = 5;  // a stale error from earlier must not count
  EXPECT_TRUE(RestartSystem(fake.sys));
  EXPECT_EQ(std::vector<ProcessHandle>{fake.platform.CurrentProcess()},
            fake.platform.tokenProcesses);
  EXPECT_EQ(std::vector<std::u16string>{u"SeShutdownPrivilege"}, fake.platform.privilegeNames);
  EXPECT_EQ(std::vector<bool>{false}, fake.platform.privilegeSystemNameGiven);
  EXPECT_EQ(std::vector<bool>{false}, fake.platform.adjustDisableAll);
  EXPECT_EQ(std::vector<std::uint32_t>{19}, fake.platform.adjustedLuids);
  EXPECT_EQ(std::vector<std::uint32_t>{2}, fake.platform.privilegeAttributes);
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected{
      {6u, kShutdownReasonPlannedInstallation}};
  EXPECT_EQ(expected, fake.platform.exitWindowsCalls);
  EXPECT_TRUE(fake.kernel.Unbalanced().empty());
  EXPECT_EQ(1u, fake.kernel.HandedOut("token"));
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_TRUE(fake.platform.shutdownReasons.empty());
  EXPECT_EQ(std::vector<std::u16string>{u"restart: ExitWindowsEx answered 1"}, fake.log.closing);
}

// Where nobody can see the screen the caller is not the interactive user, whose ExitWindowsEx
// may succeed without restarting anything: the restart is asked for as a planned one.
TEST(RestartSystem, NobodyCanSeeAsksForAPlannedRestartWithTheShutdownPrivilege) {
  struct Row {
    bool hasEx;
    bool accepted;
    const char16_t* logged;
  };
  for (const Row& row :
       {Row{true, true, u"restart: InitiateSystemShutdownExW answered 1"},
        Row{true, false, u"restart: InitiateSystemShutdownExW answered 0, error 5"},
        Row{false, true, u"restart: InitiateSystemShutdownW answered 1"},
        Row{false, false, u"restart: InitiateSystemShutdownW answered 0, error 5"}}) {
    FakeSystem fake;
    fake.ui.canSee = false;
    fake.platform.hasInitiateSystemShutdownEx = row.hasEx;
    fake.platform.shutdownAccepted = row.accepted;
    EXPECT_EQ(row.accepted, RestartSystem(fake.sys));
    EXPECT_EQ(std::vector<std::uint32_t>{0x80040002u}, fake.platform.shutdownReasons);
    EXPECT_TRUE(fake.platform.exitWindowsCalls.empty());
    EXPECT_EQ(std::vector<std::u16string>{row.logged}, fake.log.closing);
    EXPECT_TRUE(fake.kernel.Unbalanced().empty());
  }
}

// Who asks decides the call: only the interactive user of a session restarts with
// ExitWindowsEx. What Windows answers decides the result: a shutdown already under way or
// scheduled is the restart; "not ready" is asked again, 5 s apart, three times at most.
TEST(RestartSystem, CallByWhoAsksResultByWhatWindowsAnswers) {
  struct Row {
    const char* name;
    bool canSee;
    bool serviceAccount;
    std::vector<std::uint32_t> answers;
    bool exitWindows;
    bool restarted;
    std::size_t waits;
  };
  for (const Row& row : {Row{"interactive user", true, false, {0}, true, true, 0},
                         Row{"SYSTEM on a visible desktop", true, true, {0}, false, true, 0},
                         Row{"nobody sees", false, false, {0}, false, true, 0},
                         Row{"in progress", false, false, {1115}, false, true, 0},
                         Row{"scheduled", true, false, {1190}, true, true, 0},
                         Row{"not ready twice", false, true, {21, 21, 0}, false, true, 2},
                         Row{"never ready", false, true, {21, 21, 21, 21, 0}, false, false, 3},
                         Row{"locked", false, false, {1271, 0}, false, false, 0},
                         Row{"denied", true, false, {5, 0}, true, false, 0}}) {
    SCOPED_TRACE(row.name);
    FakeSystem fake;
    fake.ui.canSee = row.canSee;
    fake.platform.serviceAccount = row.serviceAccount;
    fake.platform.restartAnswers = row.answers;
    EXPECT_EQ(row.restarted, RestartSystem(fake.sys));
    const std::size_t calls = row.waits + 1;
    EXPECT_EQ(row.exitWindows ? calls : 0, fake.platform.exitWindowsCalls.size());
    EXPECT_EQ(row.exitWindows ? 0 : calls, fake.platform.shutdownReasons.size());
    EXPECT_EQ(std::vector<std::uint32_t>(row.waits, 5000), fake.platform.waits);
  }
}

TEST(RestartSystem, NobodyCanSeeAndNoPrivilegeAsksNothing) {
  FakeSystem fake;
  fake.ui.canSee = false;
  fake.platform.privilegeGranted = false;
  EXPECT_FALSE(RestartSystem(fake.sys));
  EXPECT_TRUE(fake.platform.shutdownReasons.empty());
  EXPECT_EQ(std::vector<std::u16string>{u"restart: SeShutdownPrivilege not enabled, error 1300"},
            fake.log.closing);
}

struct RefusalCase {
  const char* name;
  bool tokenOpens;
  bool privilegeGranted;
  bool lookupFails;
  bool exitWindowsAccepted;
  bool exitWindowsCalled;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.name;
}

class RestartRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RestartRefusalTest, ReturnsFalseAndClosesTheToken) {
  const RefusalCase& c = GetParam();
  FakeSystem fake;
  fake.platform.tokenOpens = c.tokenOpens;
  fake.platform.privilegeGranted = c.privilegeGranted;
  fake.platform.privilegeLookupFails = c.lookupFails;
  fake.platform.exitWindowsAccepted = c.exitWindowsAccepted;
  EXPECT_FALSE(RestartSystem(fake.sys));
  EXPECT_EQ(c.exitWindowsCalled ? 1u : 0u, fake.platform.exitWindowsCalls.size());
  EXPECT_TRUE(fake.kernel.Unbalanced().empty())
      << ::testing::PrintToString(fake.kernel.Unbalanced());
  EXPECT_TRUE(fake.ui.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RestartRefusalTest,
    ::testing::Values(RefusalCase{"TokenNotOpened", false, true, false, true, false},
                      RefusalCase{"PrivilegeNotGranted", true, false, false, true, false},
                      RefusalCase{"PrivilegeLookupFails", true, true, true, true, false},
                      RefusalCase{"RestartRefused", true, true, false, false, true}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(RestartSystem, TokenNotOpenedStopsBeforeThePrivilege) {
  FakeSystem fake;
  fake.platform.tokenOpens = false;
  EXPECT_FALSE(RestartSystem(fake.sys));
  EXPECT_TRUE(fake.platform.privilegeNames.empty());
  EXPECT_TRUE(fake.platform.privilegeAttributes.empty());
  EXPECT_EQ(0u, fake.kernel.HandedOut("token"));
}

}  // namespace
