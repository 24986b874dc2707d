#pragma once

#include <cstdint>

#include "system/handles.h"
#include "system/package_api.h"

// Windows Installer values that the launcher passes or compares with.
constexpr int kInstallUiLevelNone = 2;        // INSTALLUILEVEL_NONE
constexpr int kInstallStateUnknown = -1;      // INSTALLSTATE_UNKNOWN
constexpr int kInstallStateAbsent = 2;        // INSTALLSTATE_ABSENT
constexpr int kInstallStateDefault = 5;       // INSTALLSTATE_DEFAULT
constexpr int kInstallContextMachine = 4;     // MSIINSTALLCONTEXT_MACHINE
constexpr std::uint32_t kMsiCodeProduct = 0;  // MSICODE_PRODUCT

// The msi.dll functions the launcher calls, one method per function, arguments as passed:
// those that read a package file, and these. Texts and sizes as in PackageApi.
class InstallerApi : public PackageApi {
 public:
  // MsiSetInternalUI(level, NULL); the previous level is ignored.
  virtual void SetInternalUi(int level) = 0;
  // MsiQueryProductStateW.
  virtual int QueryProductState(const char16_t* product) = 0;
  // MsiQueryFeatureStateW.
  virtual int QueryFeatureState(const char16_t* product, const char16_t* feature) = 0;
  // MsiGetProductInfoW: `buffer` may be null; `*size` in: room, out: length without the zero.
  virtual std::uint32_t GetProductInfo(const char16_t* product, const char16_t* property,
                                       char16_t* buffer, std::uint32_t* size) = 0;
  // MsiSourceListClearAllW.
  virtual std::uint32_t SourceListClearAll(const char16_t* product, const char16_t* user,
                                           std::uint32_t reserved) = 0;
  // MsiSourceListSetInfoW.
  virtual std::uint32_t SourceListSetInfo(const char16_t* product, const char16_t* userSid,
                                          int context, std::uint32_t options,
                                          const char16_t* property, const char16_t* value) = 0;
};
