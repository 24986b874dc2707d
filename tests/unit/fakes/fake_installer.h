#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_kernel.h"
#include "system/installer_api.h"

// A Windows Installer that answers as msi.dll does: product information gives its size with 0
// when asked without buffer, package properties with 234 (ERROR_MORE_DATA) and the length.
class FakeInstaller : public InstallerApi {
 public:
  struct Product {
    int state = kInstallStateDefault;
    std::map<std::u16string, std::u16string> info;  // "VersionString", "LocalPackage", ...
    std::map<std::u16string, int> features;         // feature name -> state
  };

  explicit FakeInstaller(FakeKernel& kernel) : kernel_(kernel) {}

  // Scripted world.
  std::map<std::u16string, Product> products;  // by product code
  std::map<std::u16string, std::map<std::u16string, std::u16string>>
      packages;                                              // path -> properties
  std::map<std::u16string, std::uint32_t> openFailures;      // path -> error
  std::map<std::u16string, std::uint32_t> propertyFailures;  // property -> error

  // What was done.
  std::vector<int> internalUiLevels;
  std::vector<std::u16string> productStateQueries;
  std::vector<std::u16string> openedPackages;
  // Source-list calls with every argument, e.g. "ClearAll {code} user=null reserved=0" and
  // "SetInfo {code} user=null context=4 options=0 PackageName=a.msi".
  std::vector<std::string> sourceListCalls;

  void SetInternalUi(int level) override {
    internalUiLevels.push_back(level);
    kernel_.Log("MsiSetInternalUI " + std::to_string(level));
  }
  int QueryProductState(const char16_t* product) override {
    productStateQueries.emplace_back(product);
    auto it = products.find(product);
    return it == products.end() ? kInstallStateUnknown : it->second.state;
  }
  int QueryFeatureState(const char16_t* product, const char16_t* feature) override {
    auto it = products.find(product);
    if (it == products.end()) return kInstallStateUnknown;
    auto feat = it->second.features.find(feature);
    return feat == it->second.features.end() ? kInstallStateUnknown : feat->second;
  }
  std::uint32_t GetProductInfo(const char16_t* product, const char16_t* property, char16_t* buffer,
                               std::uint32_t* size) override {
    auto it = products.find(product);
    if (it == products.end()) return 1605;  // ERROR_UNKNOWN_PRODUCT
    auto value = it->second.info.find(property);
    if (value == it->second.info.end()) return 1608;  // ERROR_UNKNOWN_PROPERTY
    return Answer(value->second, buffer, size);
  }
  std::uint32_t OpenPackageEx(const char16_t* path, std::uint32_t options,
                              MsiHandle* handle) override {
    openedPackages.emplace_back(path);
    openOptions.push_back(options);
    auto failure = openFailures.find(path);
    if (failure != openFailures.end()) return failure->second;
    auto it = packages.find(path);
    if (it == packages.end()) return 1619;  // ERROR_INSTALL_PACKAGE_OPEN_FAILED
    *handle = static_cast<MsiHandle>(kernel_.OpenHandle("msi"));
    handlePackages_[*handle] = path;
    return 0;
  }
  std::uint32_t GetProperty(MsiHandle handle, const char16_t* name, char16_t* buffer,
                            std::uint32_t* size) override {
    auto pkg = handlePackages_.find(handle);
    if (pkg == handlePackages_.end() || !kernel_.IsOpen(handle)) return 6;  // ERROR_INVALID_HANDLE
    auto failure = propertyFailures.find(name);
    if (failure != propertyFailures.end()) return failure->second;
    const auto& props = packages[pkg->second];
    auto value = props.find(name);
    // A property the package does not define reads as the empty text.
    return Answer(value == props.end() ? std::u16string() : value->second, buffer, size);
  }
  std::uint32_t CloseMsiHandle(MsiHandle handle) override {
    return kernel_.CloseHandle(handle) ? 0 : 6;
  }
  std::uint32_t SourceListClearAll(const char16_t* product, const char16_t* user,
                                   std::uint32_t reserved) override {
    sourceListCalls.push_back("ClearAll " + Utf8(product) + " user=" + Text(user) +
                              " reserved=" + std::to_string(reserved));
    kernel_.Log("MsiSourceListClearAll " + Utf8(product));
    return products.count(product) ? 0 : 1605;  // ERROR_UNKNOWN_PRODUCT
  }
  std::uint32_t SourceListSetInfo(const char16_t* product, const char16_t* userSid, int context,
                                  std::uint32_t options, const char16_t* property,
                                  const char16_t* value) override {
    sourceListCalls.push_back("SetInfo " + Utf8(product) + " user=" + Text(userSid) + " context=" +
                              std::to_string(context) + " options=" + std::to_string(options) +
                              " " + Text(property) + "=" + Text(value));
    kernel_.Log("MsiSourceListSetInfo " + Utf8(product) + " " + Utf8(property) + "=" + Utf8(value));
    return products.count(product) ? 0 : 1605;
  }

  std::vector<std::uint32_t> openOptions;
  // Size variables seen on each call, for checking the size protocols.
  std::vector<std::uint32_t> sizesAsked;

 private:
  static std::string Text(const char16_t* text) { return text ? Utf8(text) : "null"; }
  std::uint32_t Answer(const std::u16string& value, char16_t* buffer, std::uint32_t* size) {
    sizesAsked.push_back(*size);
    const auto length = static_cast<std::uint32_t>(value.size());
    if (buffer == nullptr) {
      *size = length;
      return 0;
    }
    if (*size <= length) {
      if (*size > 0) {
        std::memcpy(buffer, value.data(), (*size - 1) * sizeof(char16_t));
        buffer[*size - 1] = 0;
      }
      *size = length;
      return 234;  // ERROR_MORE_DATA
    }
    std::memcpy(buffer, value.data(), length * sizeof(char16_t));
    buffer[length] = 0;
    *size = length;
    return 0;
  }

  FakeKernel& kernel_;
  std::map<MsiHandle, std::u16string> handlePackages_;
};
