#include "win32/launcher/msi_installer.h"

#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include "common/number_text.h"
#include "win32/launcher/com_apartment.h"
#include "win32/msi_handle.h"
#include "win32/system_libraries.h"
#include "win32/wide_text.h"

namespace {

// "#" and the handle's decimal digits: how the package functions accept an open database.
struct HandleReference {
  explicit HandleReference(MSIHANDLE handle) {
    text[0] = L'#';
    *PutDecimal(text + 1, handle, 1, L'0') = L'\0';
  }
  wchar_t text[14];
};

}  // namespace

void MsiInstaller::SetInternalUi(int level) {
  msi_.setInternalUi(static_cast<INSTALLUILEVEL>(level), nullptr);
}

int MsiInstaller::QueryProductState(const char16_t* product) {
  return msi_.queryProductState(Wide(product));
}

int MsiInstaller::QueryFeatureState(const char16_t* product, const char16_t* feature) {
  return msi_.queryFeatureState(Wide(product), Wide(feature));
}

std::uint32_t MsiInstaller::GetProductInfo(const char16_t* product, const char16_t* property,
                                           char16_t* buffer, std::uint32_t* size) {
  DWORD room = *size;
  UINT result = msi_.getProductInfo(Wide(product), Wide(property), Wide(buffer), &room);
  *size = room;
  return result;
}

std::uint32_t MsiInstaller::OpenPackageEx(const char16_t* path, std::uint32_t options,
                                          MsiHandle* handle) {
  // Once, before the first package; a failure leaves the call as it was without COM.
  if (apartment_ != nullptr) apartment_->Enter();
  MSIHANDLE opened = 0;
  UINT result = msi_.openPackageEx(Wide(path), options, &opened);
  if (result == ERROR_PRODUCT_VERSION && (options & MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE) != 0) {
    // Wine's msi.dll ignores the flag: for an installed product it opens the cached package and
    // refuses a package file of another version. A package made from the file's database handle
    // ("#nnnn", as MsiOpenPackage accepts it) is the file itself on every system. The package
    // keeps its own reference to the database.
    const LPCWSTR readOnly = nullptr;  // MSIDBOPEN_READONLY, spelled for the wide call
    OwnedMsiHandle database(msi_.closeHandle);
    if (msi_.openDatabase(Wide(path), readOnly, database.Receive()) == ERROR_SUCCESS) {
      result = msi_.openPackageEx(HandleReference(database.Get()).text, options, &opened);
    }
  }
  *handle = static_cast<MsiHandle>(opened);
  return result;
}

std::uint32_t MsiInstaller::GetProperty(MsiHandle handle, const char16_t* name, char16_t* buffer,
                                        std::uint32_t* size) {
  DWORD room = *size;
  UINT result = msi_.getProperty(static_cast<MSIHANDLE>(handle), Wide(name), Wide(buffer), &room);
  *size = room;
  return result;
}

std::uint32_t MsiInstaller::CloseMsiHandle(MsiHandle handle) {
  return msi_.closeHandle(static_cast<MSIHANDLE>(handle));
}

std::uint32_t MsiInstaller::SourceListClearAll(const char16_t* product, const char16_t* user,
                                               std::uint32_t reserved) {
  return msi_.sourceListClearAll(Wide(product), Wide(user), reserved);
}

std::uint32_t MsiInstaller::SourceListSetInfo(const char16_t* product, const char16_t* userSid,
                                              int context, std::uint32_t options,
                                              const char16_t* property, const char16_t* value) {
  // Missing before Windows Installer 3.0; the caller does not look at the result.
  if (msi_.sourceListSetInfo == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  return msi_.sourceListSetInfo(Wide(product), Wide(userSid),
                                static_cast<MSIINSTALLCONTEXT>(context), options, Wide(property),
                                Wide(value));
}
