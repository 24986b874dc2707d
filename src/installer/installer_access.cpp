#include "installer/installer_access.h"

#include <algorithm>

#include "common/win_errors.h"

namespace {

// Cuts `value` at the first zero of its buffer.
void TrimAtZero(std::u16string& value) {
  value.resize(std::find(value.begin(), value.end(), u'\0') - value.begin());
}

}  // namespace

PackageSession::~PackageSession() {
  ClosePackage(*this);
}

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
  std::uint32_t result = session.packages.GetProperty(session.package, name.c_str(), empty, &size);
  if (result != kErrorMoreData) return result;
  ++size;
  value.assign(size, u'\0');
  result = session.packages.GetProperty(session.package, name.c_str(), value.data(), &size);
  TrimAtZero(value);
  return result;
}

std::uint32_t OpenPackage(PackageSession& session, const std::u16string& path) {
  MsiHandle handle = 0;
  std::uint32_t result =
      session.packages.OpenPackageEx(path.c_str(), kOpenPackageIgnoreMachineState, &handle);
  if (result == 0) session.package = handle;
  return result;
}

void ClosePackage(PackageSession& session) {
  if (session.package == 0) return;
  session.packages.CloseMsiHandle(session.package);
  session.package = 0;
}
