#include "installer/installer_access.h"

#include <gtest/gtest.h>

#include "fakes/fake_system.h"

namespace {

constexpr char16_t kProduct[] = u"{6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841}";

TEST(ReadProductInfo, ReadsValueWithSizeQuestionWithoutBuffer) {
  FakeSystem fake;
  fake.installer.products[kProduct].info[u"VersionString"] = u"3.6.5365";
  std::u16string value;
  EXPECT_EQ(0u, ReadProductInfo(fake.installer, kProduct, u"VersionString", value));
  EXPECT_EQ(u"3.6.5365", value);
  // First call: size 0 and no buffer; second: the length plus the terminating zero.
  EXPECT_EQ((std::vector<std::uint32_t>{0, 9}), fake.installer.sizesAsked);
}

TEST(ReadProductInfo, UnknownProductLeavesValueAsItWas) {
  FakeSystem fake;
  std::u16string value;
  EXPECT_EQ(1605u, ReadProductInfo(fake.installer, kProduct, u"VersionString", value));
  EXPECT_TRUE(value.empty());
  value = u"kept";
  fake.installer.products[kProduct];
  EXPECT_EQ(1608u, ReadProductInfo(fake.installer, kProduct, u"NoSuchProperty", value));
  EXPECT_EQ(u"kept", value);
}

class PackagePropertyTest : public ::testing::Test {
 protected:
  // a.msi, opened.
  static MsiHandle Open(FakeSystem& fake) {
    fake.installer.packages[u"C:\\dist\\x64\\a.msi"] = {{u"ProductVersion", u"3.6.7000"},
                                                        {u"Long", std::u16string(300, u'x')}};
    std::uint32_t result = 1;
    const MsiHandle package = OpenPackage(fake.installer, u"C:\\dist\\x64\\a.msi", &result);
    EXPECT_EQ(0u, result);
    return package;
  }
  FakeSystem fake;
  PackageSession session{fake.installer, Open(fake)};
};

TEST_F(PackagePropertyTest, ReadsThreeHundredCharactersInFull) {
  std::u16string value;
  EXPECT_EQ(0u, ReadPackageProperty(session, u"Long", value));
  EXPECT_EQ(std::u16string(300, u'x'), value);
  EXPECT_EQ((std::vector<std::uint32_t>{0, 301}), fake.installer.sizesAsked);
}

TEST_F(PackagePropertyTest, MissingPropertyReadsAsEmptyWithSuccess) {
  std::u16string value = u"old";
  EXPECT_EQ(0u, ReadPackageProperty(session, u"ISReleaseFlags", value));
  EXPECT_EQ(u"", value);
  EXPECT_EQ((std::vector<std::uint32_t>{0, 1}), fake.installer.sizesAsked);
}

TEST_F(PackagePropertyTest, OpensIgnoringMachineState) {
  EXPECT_EQ(std::vector<std::uint32_t>{kOpenPackageIgnoreMachineState}, fake.installer.openOptions);
}

TEST(OpenPackage, FailureLeavesNoHandle) {
  FakeSystem fake;
  {
    std::uint32_t result = 0;
    const PackageSession session(fake.installer,
                                 OpenPackage(fake.installer, u"C:\\missing.msi", &result));
    EXPECT_EQ(1619u, result);
    EXPECT_FALSE(session.IsOpen());
  }
  EXPECT_EQ(0u, fake.kernel.HandedOut("msi"));
}

TEST(PackageSession, ClosesOnScopeExit) {
  FakeSystem fake;
  fake.installer.packages[u"p.msi"] = {};
  {
    std::uint32_t result = 1;
    const PackageSession session(fake.installer, OpenPackage(fake.installer, u"p.msi", &result));
    ASSERT_EQ(0u, result);
  }
  EXPECT_EQ(1u, fake.kernel.HandedOut("msi"));
  EXPECT_TRUE(fake.kernel.Unbalanced().empty());
}

}  // namespace
