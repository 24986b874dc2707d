#include "check/package_table.h"

#include <utility>

#include "check/launcher_paths.h"
#include "common/win_errors.h"
#include "installer/installer_access.h"

namespace {

// Reads the facts of the package at `path` in order; 0 or the installer's error.
std::uint32_t ReadPackageFacts(PackageApi& packages, const std::u16string& path,
                               PackageFacts& facts) {
  std::uint32_t result = 0;
  const PackageSession session(packages, OpenPackage(packages, path, &result));
  const std::pair<const char16_t*, std::u16string*> properties[] = {
      {u"ProductCode", &facts.productCode},
      {u"ProductVersion", &facts.version},
      {u"ProductLanguage", &facts.language},
      {u"ISReleaseFlags", &facts.releaseFlags},
  };
  for (const auto& [name, value] : properties) {
    if (result == 0) result = ReadPackageProperty(session, name, *value);
  }
  return result;
}

}  // namespace

PackageTable::PackageTable(const RealSystem& real) {
  missing_.factsError = kErrorFileNotFound;
  missing_.summaryError = kErrorFileNotFound;
  for (const std::u16string& path : ListPackageFiles(real, u"*")) {
    PackageRow& row = rows_[path];
    row.factsError = ReadPackageFacts(real.packages, path, row.facts);
    row.summaryError = real.summaries.ReadSummary(path, row.summary);
  }
}

const PackageRow& PackageTable::Row(const std::u16string& path) const {
  const auto it = rows_.find(path);
  return it != rows_.end() ? it->second : missing_;
}
