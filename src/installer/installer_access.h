#pragma once

#include <cstdint>
#include <string>

#include "system/installer_api.h"
#include "system/package_api.h"

// The installer handle of one package opened for reading; closes it when it goes away.
struct PackageSession {
  explicit PackageSession(PackageApi& api) : packages(api) {}
  ~PackageSession();
  PackageSession(const PackageSession&) = delete;
  PackageSession& operator=(const PackageSession&) = delete;

  PackageApi& packages;
  MsiHandle package = 0;
};

// MsiGetProductInfoW with the size question asked without buffer.
std::uint32_t ReadProductInfo(InstallerApi& installer, const std::u16string& productCode,
                              const std::u16string& property, std::u16string& value);
// MsiGetPropertyW with the size question asked with an empty text.
std::uint32_t ReadPackageProperty(const PackageSession& session, const std::u16string& name,
                                  std::u16string& value);
// MsiOpenPackageExW ignoring the machine state; 0 when `session.package` holds a handle.
std::uint32_t OpenPackage(PackageSession& session, const std::u16string& path);
// Closes the package if one is open; closing twice closes once.
void ClosePackage(PackageSession& session);
