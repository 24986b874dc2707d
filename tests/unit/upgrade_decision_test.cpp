#include "installer/upgrade_decision.h"

#include <algorithm>

#include "common/product_catalogue.h"
#include "install_fixture.h"

namespace {

struct CompareCase {
  std::u16string a;
  std::u16string b;
  int order;
};

class CompareVersionTextTable : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareVersionTextTable, OrdersTextsByCodeUnits) {
  const CompareCase& c = GetParam();
  EXPECT_EQ(c.order, CompareVersionText(c.a, c.b)) << Utf8(c.a) << " vs " << Utf8(c.b);
  EXPECT_EQ(-c.order, CompareVersionText(c.b, c.a)) << Utf8(c.b) << " vs " << Utf8(c.a);
}

INSTANTIATE_TEST_SUITE_P(Cases, CompareVersionTextTable,
                         ::testing::Values(CompareCase{u"3.6.5365", u"3.6.5365", 0},
                                           CompareCase{u"3.6.6497", u"3.6.5365", 1},
                                           CompareCase{u"3.6.5365.1", u"3.6.5365", 1},
                                           CompareCase{u"3.6.10000", u"3.6.9999", -1},
                                           CompareCase{u"3.10.0", u"3.6.5365", -1},
                                           CompareCase{u"3.6", u"3.6.0", -1},
                                           CompareCase{u"", u"", 0}, CompareCase{u"", u"0", -1},
                                           CompareCase{u"3.6.B", u"3.6.a", -1},
                                           CompareCase{u"3.6.\uFFFF", u"3.6.a", 1},
                                           CompareCase{u"3.6.\u0100", u"3.6.\u00FF", 1}));

constexpr int kUntouched = 99;

class DecideUpgradeTest : public InstallTest {
 protected:
  void SetUp() override {
    AddPackage(u"C:\\dist\\x64\\csp-x64.msi", u"3.6.5365");
    AddPackage(u"C:\\dist\\x64\\ucsp-x64.msi", u"1.2.3");
    AddPackage(u"C:\\dist\\x64\\zirelcom-x64.msi", u"2.0.1");
  }
  void AddPackage(const std::u16string& path, const std::u16string& version) {
    fake.files.AddFile(path);
    fake.installer.packages[path][u"ProductVersion"] = version;
  }
  void Install(const Product& product, const std::u16string& version) {
    fake.installer.products[product.code].info[u"VersionString"] = version;
  }
  int versionOrder = kUntouched;
  int minimumOrder = kUntouched;
};

struct OrderCase {
  const char* name;
  const Product* product;
  std::u16string installed;
  std::u16string packaged;
  std::u16string packagePath;
  int versionOrder;
  int minimumOrder;  // kUntouched: not written
};

class DecideUpgradeOrders : public DecideUpgradeTest,
                            public ::testing::WithParamInterface<OrderCase> {};

TEST_P(DecideUpgradeOrders, ComparesTheNewPackageWithTheInstalledProduct) {
  const OrderCase& c = GetParam();
  Install(*c.product, c.installed);
  fake.installer.packages[c.packagePath][u"ProductVersion"] = c.packaged;
  EXPECT_EQ(
      0u, DecideUpgrade(fake.sys, fake.PromptsFor(true), *c.product, versionOrder, &minimumOrder));
  EXPECT_EQ(c.versionOrder, versionOrder);
  EXPECT_EQ(c.minimumOrder, minimumOrder);
  EXPECT_EQ(std::vector<std::u16string>{c.packagePath}, fake.installer.openedPackages);
  EXPECT_EQ(1u, fake.kernel.HandedOut("msi"));
  EXPECT_TRUE(fake.ui.boxes.empty());
}

const std::u16string kCspPackage = u"C:\\dist\\x64\\csp-x64.msi";

INSTANTIATE_TEST_SUITE_P(
    Cases, DecideUpgradeOrders,
    ::testing::Values(
        OrderCase{"CspSameVersion", &kCsp, u"3.6.5365", u"3.6.5365", kCspPackage, 0, 0},
        OrderCase{"CspTooOldAlthoughNewer", &kCsp, u"3.6.5000", u"3.6.6497", kCspPackage, 1, 1},
        OrderCase{"CspUpgradeInPlace", &kCsp, u"3.6.6000", u"3.6.7000", kCspPackage, 1, -1},
        OrderCase{"CspTextOrderNotNumeric", &kCsp, u"3.6.9999", u"3.6.10000", kCspPackage, -1, -1},
        OrderCase{"CspFiveDigitBuildCountsAsTooOld", &kCsp, u"3.6.10000", u"3.6.10001", kCspPackage,
                  1, 1},
        OrderCase{"CspShorterInstalledText", &kCsp, u"3.6", u"3.6.0", kCspPackage, 1, 1},
        OrderCase{"CspNewerInstalled", &kCsp, u"3.6.7000", u"3.6.6000", kCspPackage, -1, -1},
        OrderCase{"ZazCspNeverWritesMinimum", &kZazCsp, u"1.0.0", u"3.6.0",
                  u"C:\\dist\\x64\\ucsp-x64.msi", 1, kUntouched},
        OrderCase{"PluginNeverWritesMinimum", &kPlugin, u"3.0", u"2.0.1",
                  u"C:\\dist\\x64\\zirelcom-x64.msi", -1, kUntouched}),
    [](const ::testing::TestParamInfo<OrderCase>& param) { return param.param.name; });

TEST_F(DecideUpgradeTest, CspCodeWithoutPlaceForMinimumSetsOnlyTheVersionOrder) {
  Install(kCsp, u"3.6.5000");
  EXPECT_EQ(0u, DecideUpgrade(fake.sys, fake.PromptsFor(true), kCsp, versionOrder, nullptr));
  EXPECT_EQ(1, versionOrder);
}

struct FailureCase {
  const char* name;
  std::uint32_t result;
  std::string text;
};

class DecideUpgradeFailures : public DecideUpgradeTest,
                              public ::testing::WithParamInterface<FailureCase> {
 protected:
  // Sets up the world so that the step the case names fails.
  void Break(const std::string& name) {
    if (name != "NotInstalled") Install(kCsp, u"3.6.6000");
    if (name == "VersionStringMissing") fake.installer.products[kCspProductCode].info.clear();
    if (name == "NoPackage") fake.files.Remove(kCspPackage);
    if (name == "CurrentDirectoryUnreadable") fake.files.currentDirectoryFails = true;
    if (name == "PackageUnopenable") fake.installer.openFailures[kCspPackage] = 1620;
    if (name == "EveryMatchForAnotherPlatform") fake.installer.openFailures[kCspPackage] = 1633;
    if (name == "ProductVersionUnreadable") {
      fake.installer.propertyFailures[u"ProductVersion"] = 1615;
    }
  }
};

TEST_P(DecideUpgradeFailures, ShowsItsMessageReturnsTheResultAndWritesNoOrder) {
  const FailureCase& c = GetParam();
  Break(c.name);
  EXPECT_EQ(c.result,
            DecideUpgrade(fake.sys, fake.PromptsFor(true), kCsp, versionOrder, &minimumOrder));
  EXPECT_EQ(std::vector<std::string>{"Ошибка|" + c.text + "|16"}, Boxes());
  EXPECT_EQ(kUntouched, versionOrder);
  EXPECT_EQ(kUntouched, minimumOrder);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, DecideUpgradeFailures,
    ::testing::Values(
        FailureCase{"NotInstalled", 1605, "Не возможно узнать версию установленного msi-пакета."},
        FailureCase{"VersionStringMissing", 1608,
                    "Не возможно узнать версию установленного msi-пакета."},
        FailureCase{"NoPackage", 232, "Не возможно найти msi-пакет."},
        FailureCase{"CurrentDirectoryUnreadable", 5, "Не возможно найти msi-пакет."},
        FailureCase{"PackageUnopenable", 1620, "Не возможно открыть новый msi-пакет."},
        FailureCase{"EveryMatchForAnotherPlatform", 1633, "Не возможно открыть новый msi-пакет."},
        FailureCase{"ProductVersionUnreadable", 1615,
                    "Не возможно узнать версию нового msi-пакета."}),
    [](const ::testing::TestParamInfo<FailureCase>& param) { return param.param.name; });

// A medium that lists the 64-bit package first on 32-bit Windows: the next match is compared.
TEST_F(DecideUpgradeTest, APackageForAnotherPlatformIsPassedOver) {
  Install(kCsp, u"3.6.6000");
  fake.installer.openFailures[kCspPackage] = 1633;
  AddPackage(u"C:\\dist\\x86\\csp-win32.msi", u"3.6.5000");
  EXPECT_EQ(0u, DecideUpgrade(fake.sys, fake.PromptsFor(true), kCsp, versionOrder, &minimumOrder));
  EXPECT_EQ(-1, versionOrder);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ((std::vector<std::u16string>{kCspPackage, u"C:\\dist\\x86\\csp-win32.msi"}),
            fake.installer.openedPackages);
  const auto comparisons = fake.trace.All<RecordedTrace::Comparison>();
  ASSERT_EQ(1u, comparisons.size());
  EXPECT_EQ(u"C:\\dist\\x86\\csp-win32.msi", comparisons[0].package);
  EXPECT_EQ(1, std::count(fake.log.lines.begin(), fake.log.lines.end(),
                          u"upgrade check: " + std::u16string(kCspPackage) +
                              u" is for another platform (1633), passed over"));
}

TEST_F(DecideUpgradeTest, ARowWithoutPatternLooksForNoPackage) {
  Install(kCspSecond, u"1.0");
  EXPECT_EQ(232u, DecideUpgrade(fake.sys, fake.PromptsFor(true), kCspSecond, versionOrder,
                                &minimumOrder));
  EXPECT_EQ(std::vector<std::string>{"Ошибка|Не возможно найти msi-пакет.|16"}, Boxes());
  EXPECT_TRUE(fake.installer.openedPackages.empty());
  EXPECT_EQ(kUntouched, versionOrder);
}

}  // namespace
