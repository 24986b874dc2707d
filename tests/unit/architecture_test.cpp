#include "actions/architecture.h"

#include <algorithm>

#include "install_fixture.h"

namespace {

// A machine as the launcher sees it, and the plug-in package pattern it takes there.
struct PlatformCase {
  const char* name;
  bool hasIsWow64Process;
  bool isWow64;            // IsWow64Process's answer
  std::uint16_t native;    // IsWow64Process2's; 0: no such function
  int x64Attributes;       // GetMachineTypeAttributes for x64; -1: no such function
  bool arm64Package;       // the distribution has an arm64 plug-in
  bool wow64;              // registry views and folders as on 64-bit Windows
  std::u16string pattern;  // the plug-in pattern taken
};

constexpr std::uint16_t kX86 = 0x014C, kAmd64 = 0x8664, kArm64 = 0xAA64;

class PlatformTable : public InstallTest, public ::testing::WithParamInterface<PlatformCase> {};

TEST_P(PlatformTable, TakesThePackageOfTheNativeMachine) {
  const PlatformCase& c = GetParam();
  fake.platform.hasIsWow64Process = c.hasIsWow64Process;
  fake.platform.wow64 = c.isWow64;
  fake.platform.nativeMachine = c.native;
  fake.platform.x64Attributes = c.x64Attributes;
  if (c.arm64Package) fake.files.AddFile(u"C:\\dist\\arm64\\zirelcom-arm64.msi");
  Wow64Cache cache;
  const WindowsKind& kind = RunningWindows(fake.sys, cache);
  EXPECT_EQ(Utf8(c.pattern), Utf8(PackagePattern(fake.sys, kind, kPlugin, u"")));
  EXPECT_EQ(c.wow64, IsWow64(fake.sys, cache, true));
  // Taken in place of an arm64 package, an x64 one serves emulated programs only.
  const bool warned =
      std::find(fake.log.lines.begin(), fake.log.lines.end(),
                u"plug-in: no arm64 package, the x64 package is taken: native ARM64 programs "
                u"find it registered but cannot load it") != fake.log.lines.end();
  EXPECT_EQ(c.native == kArm64 && c.pattern == u"zirelcom*x64*", warned);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlatformTable,
    ::testing::Values(
        PlatformCase{"NoIsWow64Process", false, true, 0, -1, false, false, u"zirelcom*win32*"},
        PlatformCase{"Wow64WithoutNativeMachine", true, true, 0, -1, false, true, u"zirelcom*x64*"},
        PlatformCase{"Native32Bit", true, false, kX86, -1, false, false, u"zirelcom*win32*"},
        PlatformCase{"X64IgnoresArm64Package", true, true, kAmd64, 1, true, true, u"zirelcom*x64*"},
        PlatformCase{"Windows11OnArm", true, true, kArm64, 1, true, true, u"zirelcom*arm64*"},
        PlatformCase{"Windows11OnArmWithoutArm64Package", true, true, kArm64, 1, false, true,
                     u"zirelcom*x64*"},
        // IsWow64Process answered FALSE for the x86 launcher there, and there is no x64.
        PlatformCase{"Windows10OnArm", true, false, kArm64, -1, true, true, u"zirelcom*arm64*"},
        PlatformCase{"Windows10OnArmWithoutArm64Package", true, false, kArm64, -1, false, true,
                     u"zirelcom*win32*"},
        PlatformCase{"ArmWithoutX64UserMode", true, true, kArm64, 0, false, true,
                     u"zirelcom*win32*"}),
    [](const ::testing::TestParamInfo<PlatformCase>& param) { return param.param.name; });

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
