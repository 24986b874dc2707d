#pragma once

#include "system/installer_api.h"

class ComApartment;
struct MsiFunctions;

// InstallerApi over msi.dll, through the functions that SystemLibraries took from it.
class MsiInstaller : public InstallerApi {
 public:
  // `msi` (the libraries' table, which must outlive this object) is read at each call.
  // `apartment`, when given, is entered before a package is opened.
  explicit MsiInstaller(const MsiFunctions& msi, ComApartment* apartment = nullptr)
      : msi_(msi), apartment_(apartment) {}

  void SetInternalUi(int level) override;
  int QueryProductState(const char16_t* product) override;
  int QueryFeatureState(const char16_t* product, const char16_t* feature) override;
  std::uint32_t GetProductInfo(const char16_t* product, const char16_t* property, char16_t* buffer,
                               std::uint32_t* size) override;
  std::uint32_t OpenPackageEx(const char16_t* path, std::uint32_t options,
                              MsiHandle* handle) override;
  std::uint32_t GetProperty(MsiHandle handle, const char16_t* name, char16_t* buffer,
                            std::uint32_t* size) override;
  std::uint32_t CloseMsiHandle(MsiHandle handle) override;
  std::uint32_t SourceListClearAll(const char16_t* product, const char16_t* user,
                                   std::uint32_t reserved) override;
  std::uint32_t SourceListSetInfo(const char16_t* product, const char16_t* userSid, int context,
                                  std::uint32_t options, const char16_t* property,
                                  const char16_t* value) override;

 private:
  const MsiFunctions& msi_;
  ComApartment* apartment_;
};
