#pragma once

#include <cstdint>
#include <string>

#include "common/scoped_handles.h"
#include "system/installer_api.h"
#include "system/package_api.h"

// MsiGetProductInfoW with the size question asked without buffer.
std::uint32_t ReadProductInfo(InstallerApi& installer, const std::u16string& productCode,
                              const std::u16string& property, std::u16string& value);
// MsiGetPropertyW with the size question asked with an empty text.
std::uint32_t ReadPackageProperty(const PackageSession& session, const std::u16string& name,
                                  std::u16string& value);
// MsiOpenPackageExW ignoring the machine state: the package's handle, for a PackageSession to
// own, and its answer in `*result`; no handle unless that is 0.
MsiHandle OpenPackage(PackageApi& packages, const std::u16string& path, std::uint32_t* result);
