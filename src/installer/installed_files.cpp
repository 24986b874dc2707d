#include "installer/installed_files.h"

#include <map>

#include "common/number_text.h"
#include "common/path_text.h"
#include "installer/installer_access.h"
#include "log/log_lines.h"

namespace {

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// The long name of a File row's FileName: "short|long", or one name for both.
std::u16string LongName(const std::u16string& fileName) {
  const std::size_t bar = fileName.find(u'|');
  return bar == std::u16string::npos ? fileName : fileName.substr(bar + 1);
}

}  // namespace

bool IsFileKeyPath(const std::u16string& keyPath) {
  const bool registry =
      keyPath.size() >= 3 && IsDigit(keyPath[0]) && IsDigit(keyPath[1]) && keyPath[2] == u':';
  return !keyPath.empty() && !registry && keyPath.back() != u'\\';
}

std::vector<std::u16string> ReadInstalledFiles(const System& sys, const Product& product) {
  std::vector<std::u16string> files;
  if (sys.tables == nullptr) return files;
  const auto none = [&](const auto& why, std::uint32_t error) {
    sys.log.Line({product.name, " files: none: ", why, ", error ", DecimalText(error)});
    return std::vector<std::u16string>();
  };
  std::u16string package;
  if (const std::uint32_t read =
          ReadProductInfo(sys.installer, product.code, u"LocalPackage", package);
      read != 0 || package.empty()) {
    return none("no cached package", read);
  }
  std::vector<TableRow> components, fileRows;
  if (const std::uint32_t read = sys.tables->ReadRows(
          package.c_str(), u"SELECT `ComponentId`, `Component` FROM `Component`", 2, &components);
      read != 0) {
    return none("the cached package's components are unreadable", read);
  }
  if (const std::uint32_t read = sys.tables->ReadRows(
          package.c_str(), u"SELECT `FileName`, `Component_` FROM `File`", 2, &fileRows);
      read != 0) {
    return none("the cached package's files are unreadable", read);
  }
  // Component -> the folder of its key path, for those installed locally with a file as key.
  std::map<std::u16string, std::u16string> folders;
  for (const TableRow& row : components) {
    std::u16string keyPath;
    if (row[0].empty() ||
        sys.tables->ReadComponentPath(product.code, row[0].c_str(), &keyPath) !=
            kInstallStateLocal ||
        !IsFileKeyPath(keyPath)) {
      continue;
    }
    folders[row[1]] = FolderOf(keyPath);
  }
  for (const TableRow& row : fileRows) {
    const auto folder = folders.find(row[1]);
    if (folder != folders.end()) files.push_back(JoinedPath(folder->second, LongName(row[0])));
  }
  sys.log.Line({product.name, " files: ", DecimalText(static_cast<std::uint32_t>(files.size())),
                " of ", package});
  return files;
}
