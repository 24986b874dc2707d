// What a run before the restart learns of the removed plug-in: its files as the installer's
// components give them, and whether the operations of the next start delete or replace one.
#include <gtest/gtest.h>

#include "actions/pending_removal.h"
#include "common/product_catalogue.h"
#include "fakes/fake_resume.h"
#include "fakes/fake_system.h"
#include "fakes/fake_tables.h"
#include "installer/installed_files.h"

namespace {

const std::u16string kDll = u"C:\\Program Files\\Vestacor\\Signavel\\signavel.dll";

TEST(PendingOperations, TouchOnlyWhatDeletesMovesAwayOrReplacesAListedFile) {
  struct Row {
    const char* name;
    std::u16string source, target;
    bool touches;
  };
  const std::vector<std::u16string> files = {kDll};
  for (const Row& row : {
           Row{"deletion", u"\\??\\" + kDll, u"", true},
           Row{"deletion, other letter case",
               u"\\??\\C:\\PROGRAM FILES\\Vestacor\\Signavel\\SIGNAVEL.DLL", u"", true},
           Row{"rename away", u"\\??\\" + kDll, u"\\??\\C:\\old.dll", true},
           Row{"replacement", u"\\??\\C:\\Config.Msi\\a.tmp", u"!\\??\\" + kDll, true},
           Row{"rename onto it without replacing", u"\\??\\C:\\t.dll", u"\\??\\" + kDll, false},
           Row{"the installer's moved-aside copy", u"\\??\\C:\\Config.Msi\\3ec7bbbf.rbf", u"",
               false},
           Row{"a longer path that starts like one", u"\\??\\" + kDll + u".bak", u"", false},
       }) {
    SCOPED_TRACE(row.name);
    const std::u16string data = u"\\??\\C:\\x.tmp" + std::u16string(1, u'\0') +
                                std::u16string(1, u'\0') + row.source + u'\0' + row.target + u'\0' +
                                u'\0';
    const std::vector<PendingOperation> operations = ParsePendingOperations(data);
    ASSERT_EQ(2u, operations.size());
    EXPECT_EQ(u"C:\\x.tmp", operations[0].source);
    EXPECT_TRUE(operations[0].target.empty());
    EXPECT_EQ(row.touches, TouchesFiles(operations[1], files));
    EXPECT_FALSE(TouchesFiles(operations[0], files));
  }
  // Cut short: a source without its target is no operation.
  EXPECT_TRUE(ParsePendingOperations(u"\\??\\" + kDll).empty());
}

// Without a mark, or with only the installer's moved-aside copies pending: end to end.
TEST(PendingOperations, ARunBeforeTheRestartReadsBothValuesAndNeedsFiles) {
  for (const bool listed : {false, true}) {
    FakeSystem fake;
    FakeResume resume(fake.files);
    fake.sys.resume = &resume;
    resume.mark = listed ? std::vector<std::u16string>{kDll} : std::vector<std::u16string>{};
    resume.pendingOperations[kPendingOperations2Value] = u"\\??\\" + kDll + u'\0' + u'\0';
    EXPECT_EQ(listed, RemovedFilesPendingAtRestart(fake.sys));
  }
}

TEST(InstalledFiles, OnlyFilesOfLocalComponentsWhoseKeyIsAFile) {
  for (const char16_t* keyPath : {u"02:\\SOFTWARE\\Vestacor\\", u"22:\\SOFTWARE\\Vestacor\\Key",
                                  u"C:\\Program Files\\Vestacor\\", u""}) {
    EXPECT_FALSE(IsFileKeyPath(keyPath)) << Utf8(keyPath);
  }
  EXPECT_TRUE(IsFileKeyPath(kDll));

  FakeSystem fake;
  FakeTables tables;
  fake.sys.tables = &tables;
  // No cached package: no list.
  EXPECT_TRUE(ReadInstalledFiles(fake.sys, kPlugin).empty());

  const std::u16string cached = u"C:\\Windows\\Installer\\1a2b.msi";
  fake.installer.products[kPluginProductCode].info[u"LocalPackage"] = cached;
  auto& package = tables.rows[cached];
  package[u"SELECT `ComponentId`, `Component` FROM `Component`"] = {
      u"{C1}", u"Core", u"{C2}", u"Registry", u"{C3}", u"Absent", u"", u"Unregistered"};
  package[u"SELECT `FileName`, `Component_` FROM `File`"] = {
      u"signavel.dll", u"Core",    u"SIGNAV~1.HLP|signavel help.hlp",
      u"Core",         u"reg.txt", u"Registry",
      u"absent.txt",   u"Absent"};
  tables.components[{kPluginProductCode, u"{C1}"}] = {kInstallStateLocal, kDll};
  tables.components[{kPluginProductCode, u"{C2}"}] = {kInstallStateLocal, u"02:\\SOFTWARE\\V\\"};
  tables.components[{kPluginProductCode, u"{C3}"}] = {2, u""};
  EXPECT_EQ((std::vector<std::u16string>{
                kDll, u"C:\\Program Files\\Vestacor\\Signavel\\signavel help.hlp"}),
            ReadInstalledFiles(fake.sys, kPlugin));
}

}  // namespace
