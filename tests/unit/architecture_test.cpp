#include "actions/architecture.h"

#include "install_fixture.h"

namespace {

struct CacheCase {
  const char* name;
  bool hasKernel32;
  bool hasIsWow64Process;
  Wow64Cache::State state;
  int moduleLookups;
  int procLookups;
  int calls;
};

class Wow64CacheTable : public InstallTest, public ::testing::WithParamInterface<CacheCase> {};

TEST_P(Wow64CacheTable, LooksTheFunctionUpOnce) {
  const CacheCase& c = GetParam();
  fake.platform.hasKernel32 = c.hasKernel32;
  fake.platform.hasIsWow64Process = c.hasIsWow64Process;
  Wow64Cache cache;
  for (int i = 0; i < 3; ++i) IsWow64(fake.sys, cache, i == 2);
  EXPECT_EQ(c.state, cache.state);
  EXPECT_EQ(c.moduleLookups, fake.platform.moduleLookups);
  EXPECT_EQ(c.procLookups, fake.platform.procLookups);
  EXPECT_EQ(c.calls, fake.platform.isWow64Calls);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Wow64CacheTable,
    ::testing::Values(
        CacheCase{"Present", true, true, Wow64Cache::State::kPresent, 1, 1, 3},
        CacheCase{"FunctionMissing", true, false, Wow64Cache::State::kMissing, 1, 1, 0},
        // Without a module handle nothing is cached and the lookup is tried again.
        CacheCase{"ModuleMissing", false, true, Wow64Cache::State::kNotLookedUp, 3, 0, 0}),
    [](const ::testing::TestParamInfo<CacheCase>& param) { return param.param.name; });

class IsWow64Test : public InstallTest {};

TEST_F(IsWow64Test, FailedCallCountsAsWow64OnlyWhenSuccessIsNotRequired) {
  FailingWow64Platform platform(fake.kernel);
  System sys{fake.installer, fake.files, fake.processes, fake.certs,
             platform,       fake.ui,    fake.resources};
  Wow64Cache cache;
  EXPECT_TRUE(IsWow64(sys, cache, false));
  EXPECT_FALSE(IsWow64(sys, cache, true));
}

TEST_F(IsWow64Test, CachedFunctionIsCalledWithoutNewLookup) {
  Wow64Cache cache;
  cache.state = Wow64Cache::State::kPresent;
  cache.function = 0x1234;
  fake.platform.wow64 = true;
  EXPECT_TRUE(IsWow64(fake.sys, cache, true));
  EXPECT_EQ(0, fake.platform.moduleLookups);
  EXPECT_EQ(1, fake.platform.isWow64Calls);
}

}  // namespace
