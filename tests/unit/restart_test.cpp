#include "setup/restart.h"

#include <gtest/gtest.h>

#include "fakes/fake_system.h"

namespace {

TEST(RestartSystem, EnablesShutdownPrivilegeThenRequestsForcedReboot) {
  FakeSystem fake;
  fake.kernel.lastError = 5;  // a stale error from earlier must not count
  EXPECT_TRUE(RestartSystem(fake.sys));
  EXPECT_EQ(std::vector<SysHandle>{fake.platform.CurrentProcess()}, fake.platform.tokenProcesses);
  EXPECT_EQ(std::vector<std::uint32_t>{0x28}, fake.platform.tokenAccess);
  EXPECT_EQ(std::vector<std::u16string>{u"SeShutdownPrivilege"}, fake.platform.privilegeNames);
  EXPECT_EQ(std::vector<bool>{false}, fake.platform.privilegeSystemNameGiven);
  EXPECT_EQ(std::vector<bool>{false}, fake.platform.adjustDisableAll);
  EXPECT_EQ(std::vector<std::uint32_t>{19}, fake.platform.adjustedLuids);
  EXPECT_EQ(std::vector<std::uint32_t>{2}, fake.platform.privilegeAttributes);
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected{{6u, 0x40000u}};
  EXPECT_EQ(expected, fake.platform.exitWindowsCalls);
  EXPECT_TRUE(fake.kernel.Unbalanced().empty());
  EXPECT_EQ(1u, fake.kernel.HandedOut("token"));
  EXPECT_TRUE(fake.ui.boxes.empty());
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
