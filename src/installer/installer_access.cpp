#include "installer/installer_access.h"

#include <algorithm>

#include "common/win_errors.h"

namespace {

// Cuts `value` at the first zero of its buffer.
void TrimAtZero(std::u16string& value) {
  value.resize(std::find(value.begin(), value.end(), u'\0') - value.begin());
}

}  // namespace

std::uint32_t ReadProductInfo(InstallerApi& installer, const std::u16string& productCode,
                              const std::u16string& property, std::u16string& value) {
  std::uint32_t size = 0;
  std::uint32_t result =
      installer.GetProductInfo(productCode.c_str(), property.c_str(), nullptr, &size);
  if (result != 0) return result;
  ++size;
  value.assign(size, u'\0');
  result = installer.GetProductInfo(productCode.c_str(), property.c_str(), value.data(), &size);
  TrimAtZero(value);
  return result;
}

std::uint32_t ReadPackageProperty(const PackageSession& session, const std::u16string& name,
                                  std::u16string& value) {
  std::uint32_t size = 0;
  char16_t empty[1] = {u'\0'};
  std::uint32_t result = session.api().GetProperty(session.get(), name.c_str(), empty, &size);
  if (result != kErrorMoreData) return result;
  ++size;
  value.assign(size, u'\0');
  result = session.api().GetProperty(session.get(), name.c_str(), value.data(), &size);
  TrimAtZero(value);
  return result;
}

MsiHandle OpenPackage(PackageApi& packages, const std::u16string& path, std::uint32_t* result) {
  MsiHandle handle{};
  *result = packages.OpenPackageEx(path.c_str(), kOpenPackageIgnoreMachineState, &handle);
  return *result == 0 ? handle : MsiHandle{};
}
