#include "actions/root_certificates.h"

#include "install_fixture.h"

namespace {

class RootCertificatesTest : public InstallTest {
 protected:
  void SetUp() override { fake.files.AddDirectory(u"C:\\dist"); }
  void AddCertificateFile(const std::u16string& path, std::vector<std::string> certificates) {
    fake.files.AddFile(path);
    fake.certs.files[path] = std::move(certificates);
  }
  // The log's lines about skipped files, each with the error of the call that failed.
  std::vector<std::u16string> SkippedLines() const {
    std::vector<std::u16string> skipped;
    for (const std::u16string& line : fake.log.lines) {
      if (line.find(u" skipped: ") != std::u16string::npos) skipped.push_back(line);
    }
    return skipped;
  }
};

TEST_F(RootCertificatesTest, AddsEveryCertificateOfEveryFileOpeningRootOncePerFile) {
  AddCertificateFile(u"C:\\dist\\b.cer", {"b1"});
  AddCertificateFile(u"C:\\dist\\a.cer", {"a1"});
  AddCertificateFile(u"C:\\dist\\chain.p7b", {"c1", "c2", "c3"});
  AddRootCertificates(fake.sys);
  EXPECT_EQ((std::vector<std::string>{"a1", "b1", "c1", "c2", "c3"}), fake.certs.added);
  EXPECT_EQ(3, fake.certs.rootOpens);
  EXPECT_EQ((std::vector<std::string>{
                "open C:\\dist\\a.cer",
                "open system Root flags=0x20000",
                "add a1 disposition=4",
                "close Root flags=0",
                "close C:\\dist\\a.cer flags=0",
                "open C:\\dist\\b.cer",
                "open system Root flags=0x20000",
                "add b1 disposition=4",
                "close Root flags=0",
                "close C:\\dist\\b.cer flags=0",
                "open C:\\dist\\chain.p7b",
                "open system Root flags=0x20000",
                "add c1 disposition=4",
                "add c2 disposition=4",
                "add c3 disposition=4",
                "close Root flags=0",
                "close C:\\dist\\chain.p7b flags=0",
            }),
            fake.certs.events);
  EXPECT_EQ(std::vector<std::uint32_t>(6, kCertEncoding), fake.certs.encodings);
}

TEST_F(RootCertificatesTest, NoCertificateFilesOpensNoStore) {
  fake.files.AddFile(u"C:\\dist\\readme.txt");
  fake.files.AddFile(u"C:\\dist\\x64\\inner.cer");
  AddRootCertificates(fake.sys);
  EXPECT_TRUE(fake.certs.events.empty());
  EXPECT_EQ((std::vector<std::u16string>{u"*.cer", u"*.p7b", u"*.crt"}), fake.files.searches);
}

TEST_F(RootCertificatesTest, PatternsAreSearchedInTheirOrder) {
  AddCertificateFile(u"C:\\dist\\a.crt", {"crt"});
  AddCertificateFile(u"C:\\dist\\z.cer", {"cer"});
  AddCertificateFile(u"C:\\dist\\m.p7b", {"p7b"});
  AddCertificateFile(u"C:\\dist\\UPPER.CER", {"upper"});
  AddRootCertificates(fake.sys);
  EXPECT_EQ((std::vector<std::string>{"upper", "cer", "p7b", "crt"}), fake.certs.added);
}

TEST_F(RootCertificatesTest, UnreadableFilesAreSkippedAndTheRestAdded) {
  fake.files.AddFile(u"C:\\dist\\broken.cer");       // not a certificate store
  fake.files.AddDirectory(u"C:\\dist\\folder.cer");  // a directory
  AddCertificateFile(u"C:\\dist\\good.cer", {"good"});
  fake.kernel.lastError = 87;  // left by some earlier call: never the answer
  AddRootCertificates(fake.sys);
  EXPECT_EQ(std::vector<std::string>{"good"}, fake.certs.added);
  EXPECT_EQ(1, fake.certs.rootOpens);
  EXPECT_EQ((std::vector<std::u16string>{
                u"certificate file C:\\dist\\broken.cer skipped: not a certificate file, error "
                u"0x80092009",
                u"certificate file C:\\dist\\folder.cer skipped: not a certificate file, error "
                u"0x80092009"}),
            SkippedLines());
}

TEST_F(RootCertificatesTest, RootThatCannotBeOpenedClosesTheFileStoreAndGoesOn) {
  AddCertificateFile(u"C:\\dist\\a.cer", {"a1"});
  AddCertificateFile(u"C:\\dist\\b.p7b", {"b1", "b2"});
  fake.certs.rootFails = true;
  fake.kernel.lastError = 87;
  AddRootCertificates(fake.sys);
  EXPECT_TRUE(fake.certs.added.empty());
  EXPECT_EQ(
      (std::vector<std::u16string>{
          u"certificate file C:\\dist\\a.cer skipped: the Root store cannot be opened, error 2",
          u"certificate file C:\\dist\\b.p7b skipped: the Root store cannot be opened, error 2"}),
      SkippedLines());
  EXPECT_EQ(
      (std::vector<std::string>{"open C:\\dist\\a.cer", "open system Root flags=0x20000",
                                "close C:\\dist\\a.cer flags=0", "open C:\\dist\\b.p7b",
                                "open system Root flags=0x20000", "close C:\\dist\\b.p7b flags=0"}),
      fake.certs.events);
}

TEST_F(RootCertificatesTest, FullPathLongerThanThePathLimitIsSkipped) {
  const std::u16string longDirectory = u"C:\\" + std::u16string(250, u'd');
  fake.files.currentDirectory = longDirectory;
  AddCertificateFile(longDirectory + u"\\long-name.cer", {"long"});  // 267 units
  AddCertificateFile(longDirectory + u"\\ab.cer", {"edge"});         // 260: no room for the zero
  AddCertificateFile(longDirectory + u"\\s.cer", {"short"});         // 259 units
  AddRootCertificates(fake.sys);
  EXPECT_EQ(std::vector<std::string>{"short"}, fake.certs.added);
  EXPECT_EQ(1, fake.certs.rootOpens);
}

}  // namespace
