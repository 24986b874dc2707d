#include "installer/carry_over.h"

#include <optional>

#include "common/product_catalogue.h"
#include "install_fixture.h"

namespace {

constexpr char16_t kCached[] = u"C:\\Windows\\Installer\\1a2b3c.msi";

class CarryOverTest : public InstallTest {
 protected:
  // Installs `product` with a cached package holding the given properties (absent when nullopt).
  void InstallProduct(const Product& product, std::optional<std::u16string> releaseFlags,
                      std::optional<std::u16string> language) {
    fake.installer.products[product.code].info[u"LocalPackage"] = kCached;
    auto& properties = fake.installer.packages[kCached];
    if (releaseFlags) properties[u"ISReleaseFlags"] = *releaseFlags;
    if (language) properties[u"ProductLanguage"] = *language;
  }
};

struct FragmentCase {
  const char* name;
  const Product* product;
  std::optional<std::u16string> releaseFlags;
  std::optional<std::u16string> language;
  std::u16string appended;
};

class CarryOverFragments : public CarryOverTest,
                           public ::testing::WithParamInterface<FragmentCase> {};

TEST_P(CarryOverFragments, AppendsTheInstalledConfiguration) {
  const FragmentCase& c = GetParam();
  InstallProduct(*c.product, c.releaseFlags, c.language);
  std::u16string pattern = u"csp*x64* ";
  EXPECT_EQ(0u, BuildCarryOverArgs(fake.sys, *c.product, fake.PromptsFor(false), pattern));
  EXPECT_EQ(Utf8(u"csp*x64* " + c.appended), Utf8(pattern));
  // The checker reads the same fragments from the trace.
  EXPECT_EQ(Utf8(c.appended),
            Utf8(fake.trace.LastLevelCarried() + fake.trace.LastLanguageCarried()));
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_EQ(std::vector<std::u16string>{kCached}, fake.installer.openedPackages);
}

const Product* const kCspRow = &kCsp;
const Product* const kSecond = &kCspSecond;
const Product* const kZaz = &kZazCsp;

INSTANTIATE_TEST_SUITE_P(
    Cases, CarryOverFragments,
    ::testing::Values(
        FragmentCase{"Kc2English", kCspRow, u"kc2", u"1033", u"kc2*eng*"},
        FragmentCase{"Kc3Russian", kCspRow, u"base,kc3,x", u"1049", u"kc3*rus*"},
        FragmentCase{"QxrmcspIsKc2", kCspRow, u"qxrmcsp", u"1049", u"kc2*rus*"},
        FragmentCase{"QxcspiIsKc1", kCspRow, u"qxcspi", u"1033", u"kc1*eng*"},
        FragmentCase{"NoLevel", kCspRow, u"base", u"1033", u"-*eng*"},
        FragmentCase{"KcFoundBeforeQxrmcsp", kSecond, u"kc1,qxrmcsp", u"1049", u"kc1*rus*"},
        FragmentCase{"QxrmcspBeforeQxcspi", kSecond, u"qxrmcsp,qxcspi", u"1049", u"kc2*rus*"},
        FragmentCase{"CapitalKcNotFound", kCspRow, u"KC2", u"1049", u"-*rus*"},
        FragmentCase{"KcInsideAWordCounts", kCspRow, u"packcsp", u"1049", u"kcs*rus*"},
        FragmentCase{"FirstKcWins", kCspRow, u"kc3,kc1", u"1049", u"kc3*rus*"},
        FragmentCase{"EmptyFlags", kCspRow, u"", u"1049", u"-*rus*"},
        FragmentCase{"UndefinedFlags", kSecond, std::nullopt, u"1033", u"-*eng*"},
        FragmentCase{"KcAtTheVeryEnd", kCspRow, u"qxrmcsp,kc", u"1033", u"kc*eng*"},
        FragmentCase{"OnlyKc", kSecond, u"kc", u"1049", u"kc*rus*"},
        FragmentCase{"LanguageWithBlankIsRussian", kCspRow, u"kc2", u"1033 ", u"kc2*rus*"},
        FragmentCase{"EmptyLanguageIsRussian", kCspRow, u"kc2", u"", u"kc2*rus*"},
        FragmentCase{"UndefinedLanguageIsRussian", kCspRow, u"kc2", std::nullopt, u"kc2*rus*"},
        FragmentCase{"ZazEnglishNoLevel", kZaz, u"kc3", u"1033", u"eng*"},
        FragmentCase{"ZazRussian", kZaz, u"qxrmcsp", u"1049", u"rus*"}),
    [](const ::testing::TestParamInfo<FragmentCase>& param) { return param.param.name; });

TEST_F(CarryOverTest, ZazCspDoesNotNeedReleaseFlags) {
  InstallProduct(kZazCsp, std::nullopt, u"1033");
  fake.installer.propertyFailures[u"ISReleaseFlags"] = 1615;
  std::u16string pattern = u"ucsp*x64*";
  EXPECT_EQ(0u, BuildCarryOverArgs(fake.sys, kZazCsp, fake.PromptsFor(false), pattern));
  EXPECT_EQ(u"ucsp*x64*eng*", pattern);
}

struct FailureCase {
  const char* name;
  bool silent;
  std::uint32_t result;
  std::vector<std::string> boxes;
  std::u16string pattern;  // the caller's text afterwards
};

class CarryOverFailures : public CarryOverTest, public ::testing::WithParamInterface<FailureCase> {
 protected:
  void Break(const std::string& name) {
    if (name.rfind("NotInstalled", 0) == 0) return;
    InstallProduct(kCsp, u"kc2", u"1049");
    if (name.rfind("CachedPackageGone", 0) == 0) fake.installer.packages.clear();
    if (name.rfind("ReleaseFlags", 0) == 0) {
      fake.installer.propertyFailures[u"ISReleaseFlags"] = 1615;
    }
    if (name.rfind("Language", 0) == 0) {
      fake.installer.propertyFailures[u"ProductLanguage"] = 1615;
    }
  }
};

TEST_P(CarryOverFailures, ReturnsTheFailingStepsResult) {
  const FailureCase& c = GetParam();
  Break(c.name);
  std::u16string pattern = u"csp*x64* ";
  EXPECT_EQ(c.result, BuildCarryOverArgs(fake.sys, kCsp, fake.PromptsFor(c.silent), pattern));
  EXPECT_EQ(c.boxes, Boxes());
  EXPECT_EQ(Utf8(c.pattern), Utf8(pattern));
}

const std::string kBox136 = "Ошибка|Не возможно узнать путь до установленного msi-пакета.|16";
const std::string kBox137 =
    "Ошибка|Не возможно узнать свойство ISReleaseFlags нового msi-пакета.|16";
const std::string kBox138 =
    "Ошибка|Не возможно узнать свойство ProductLanguage нового msi-пакета.|16";

INSTANTIATE_TEST_SUITE_P(
    Steps, CarryOverFailures,
    ::testing::Values(FailureCase{"NotInstalled", false, 1605, {kBox136}, u"csp*x64* "},
                      FailureCase{"NotInstalledSilent", true, 1605, {}, u"csp*x64* "},
                      FailureCase{"CachedPackageGone", false, 1619, {}, u"csp*x64* "},
                      FailureCase{"CachedPackageGoneSilent", true, 1619, {}, u"csp*x64* "},
                      FailureCase{"ReleaseFlags", false, 1615, {kBox137}, u"csp*x64* "},
                      FailureCase{"ReleaseFlagsSilent", true, 1615, {}, u"csp*x64* "},
                      FailureCase{"Language", false, 1615, {kBox138}, u"csp*x64* kc2*"},
                      FailureCase{"LanguageSilent", true, 1615, {}, u"csp*x64* kc2*"}),
    [](const ::testing::TestParamInfo<FailureCase>& param) { return param.param.name; });

}  // namespace
