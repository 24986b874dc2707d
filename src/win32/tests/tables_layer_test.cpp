// MsiTables against Wine's msi.dll, run with the rest of the layer test: the rows and summary
// number of the test's own package (tables_package.wxs, built by wixl before the run), read as
// the launcher reads a plug-in's cached package, and the component path of a product that is not
// installed.
#include <windows.h>

#include <string>
#include <vector>

#include "system/installer_api.h"
#include "win32/launcher/msi_tables.h"
#include "win32/tests/check.h"
#include "win32/wide_text.h"

namespace {

constexpr char16_t kProduct[] = u"{C7D2E1F0-5A4B-4C3D-9E8F-1A2B3C4D5E6F}";

// The package's path from ZIREL_LAYER_PACKAGE; empty when the run was not given one.
std::u16string PackagePath() {
  wchar_t path[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"ZIREL_LAYER_PACKAGE", path, MAX_PATH) == 0) return {};
  return Utf16String(path);
}

// What the package holds, as tables_package.wxs declares it and wixl writes it: a field that
// needs more room than the first buffer (the property) as well as short ones.
void RowsAreReadAsThePackageHoldsThem(MsiTables& tables, const std::u16string& package) {
  std::u16string digits;
  for (int count = 0; count < 28; ++count) digits += u"0123456789";
  struct Case {
    const char16_t* query;
    unsigned fields;
    std::vector<std::u16string> values;  // record after record
  };
  const Case cases[] = {
      {u"SELECT `ComponentId`, `Component` FROM `Component`",
       2,
       {u"{E9F4A3B2-7C6D-4E5F-9A01-3C4D5E6F7081}", u"PlainFiles",
        u"{FA05B4C3-8D7E-4F60-AB12-4D5E6F708192}", u"NamedFiles"}},
      {u"SELECT `FileName`, `Component_`, `Attributes` FROM `File`",
       3,
       {u"plain.txt", u"PlainFiles", u"512", u"LONGFI~1.TXT|Long file name.txt", u"NamedFiles",
        u"512", u"second.txt", u"NamedFiles", u"512"}},
      {u"SELECT `Cabinet`, `VolumeLabel` FROM `Media`", 2, {u"#tables.cab", u""}},
      {u"SELECT `Value` FROM `Property` WHERE `Property` = 'LongText'", 1, {digits}},
  };
  for (const Case& row : cases) {
    std::vector<std::u16string> values{u"kept"};
    CHECK_EQ(tables.ReadRows(package.c_str(), row.query, row.fields, &values), 0u);
    CHECK_EQ(values.size(), row.values.size() + 1);
    CHECK_EQ(values[0], std::u16string(u"kept"));
    for (std::size_t index = 0; index < row.values.size() && index + 1 < values.size(); ++index) {
      CHECK_EQ(values[index + 1], row.values[index]);
    }
  }

  // A failure appends nothing and hands on the installer's code (ERROR_BAD_QUERY_SYNTAX).
  std::vector<std::u16string> values{u"kept"};
  CHECK_EQ(tables.ReadRows(package.c_str(), u"SELECT `Cabinet` FROM `None`", 1, &values), 1615u);
  CHECK_EQ(values.size(), std::size_t{1});
}

// Compressed="yes": the Word Count is 2; the Title is a text, which a number cannot be.
void SummaryNumbersAreReadAsNumbersOnly(MsiTables& tables, const std::u16string& package) {
  int value = -1;
  CHECK_EQ(tables.ReadSummaryNumber(package.c_str(), kSummaryWordCount, &value), 0u);
  CHECK_EQ(value, kSourceTypeCompressed);
  value = -1;
  CHECK_EQ(tables.ReadSummaryNumber(package.c_str(), 2, &value), 13u);  // PID_TITLE
  CHECK_EQ(value, -1);
}

// A product that is not installed has no component anywhere, and no path.
void ComponentsOfAProductNotInstalledAreUnknown(MsiTables& tables) {
  std::u16string path = u"left over";
  CHECK_EQ(tables.ReadComponentPath(kProduct, u"{E9F4A3B2-7C6D-4E5F-9A01-3C4D5E6F7081}", &path),
           kInstallStateUnknown);
  CHECK_EQ(path, std::u16string());
}

}  // namespace

void CheckTableCalls(const MsiFunctions& msi) {
  const std::u16string package = PackagePath();
  CHECK(!package.empty());
  if (package.empty()) return;
  MsiTables tables(msi);
  RowsAreReadAsThePackageHoldsThem(tables, package);
  SummaryNumbersAreReadAsNumbersOnly(tables, package);
  ComponentsOfAProductNotInstalledAreUnknown(tables);
}
