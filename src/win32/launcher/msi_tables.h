#pragma once

#include "system/package_tables_api.h"

struct MsiFunctions;

// PackageTablesApi over the msi.dll that SystemLibraries loaded: package files opened as
// read-only databases, and MsiGetComponentPathW. Every handle it opens is closed before a call
// returns; errors are the failing call's Windows Installer code, unchanged.
class MsiTables final : public PackageTablesApi {
 public:
  explicit MsiTables(const MsiFunctions& msi) : msi_(msi) {}

  std::uint32_t ReadRows(const char16_t* package, const char16_t* query, unsigned fields,
                         std::vector<std::u16string>* values) override;
  std::uint32_t ReadSummaryNumber(const char16_t* package, unsigned property, int* value) override;
  int ReadComponentPath(const char16_t* product, const char16_t* component,
                        std::u16string* path) override;

 private:
  const MsiFunctions& msi_;
};
