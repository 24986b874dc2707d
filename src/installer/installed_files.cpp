#include "installer/installed_files.h"

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
  const auto none = [&](LogPart why, std::uint32_t error) {
    sys.log.Line({product.name, " files: none: ", why, ", error ", DecimalText(error)});
    return std::vector<std::u16string>();
  };
  std::u16string package;
  if (const std::uint32_t read =
          ReadProductInfo(sys.installer, product.code, u"LocalPackage", package);
      read != 0 || package.empty()) {
    return none("no cached package", read);
  }
  // Both queries give two fields a record.
  std::vector<std::u16string> components, fileRows;
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
  // Each component installed locally with a file as its key path, then that file's folder.
  std::vector<std::u16string> folders;
  for (std::size_t at = 0; at + 1 < components.size(); at += 2) {
    std::u16string keyPath;
    if (!components[at].empty() &&
        sys.tables->ReadComponentPath(product.code, components[at].c_str(), &keyPath) ==
            kInstallStateLocal &&
        IsFileKeyPath(keyPath)) {
      folders.push_back(components[at + 1]);
      folders.push_back(FolderOf(keyPath));
    }
  }
  for (std::size_t at = 0; at + 1 < fileRows.size(); at += 2) {
    for (std::size_t kept = 0; kept < folders.size(); kept += 2) {
      if (folders[kept] == fileRows[at + 1]) {
        files.push_back(JoinedPath(folders[kept + 1], LongName(fileRows[at])));
      }
    }
  }
  sys.log.Line({product.name, " files: ", DecimalText(static_cast<std::uint32_t>(files.size())),
                " of ", package});
  return files;
}
