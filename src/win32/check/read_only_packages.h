#pragma once

#include "check/check_inputs.h"
#include "system/package_api.h"

struct MsiFunctions;

// Package files opened as read-only databases; a property is read from the Property table.
// The checker never asks the machine's installer and never changes it. The summary information
// is read the same way.
class ReadOnlyPackages : public PackageApi, public PackageSummaryReader {
 public:
  explicit ReadOnlyPackages(const MsiFunctions& msi) : msi_(msi) {}

  // MsiOpenDatabaseW with MSIDBOPEN_READONLY; the options are not used.
  std::uint32_t OpenPackageEx(const char16_t* path, std::uint32_t options,
                              MsiHandle* handle) override;
  // The Property table's value, with MsiGetPropertyW's size convention; a property the table
  // does not hold reads as the empty text.
  std::uint32_t GetProperty(MsiHandle handle, const char16_t* name, char16_t* buffer,
                            std::uint32_t* size) override;
  std::uint32_t CloseMsiHandle(MsiHandle handle) override;
  // MsiGetSummaryInformationW on the file, then its PID_TEMPLATE string and its PID_PAGECOUNT
  // number (0 when the package has none).
  std::uint32_t ReadSummary(const std::u16string& path, PackageSummary& summary) override;

 private:
  const MsiFunctions& msi_;
};
