#include "win32/msi_installer.h"

#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include "win32/handles.h"
#include "win32/wide_text.h"

namespace {

using SourceListSetInfoFunction = UINT(WINAPI*)(LPCWSTR, LPCWSTR, MSIINSTALLCONTEXT, DWORD, LPCWSTR,
                                                LPCWSTR);

// MsiSourceListSetInfoW came with Windows Installer 3.0; Windows 2000 ships 2.0. Looked up at
// run time so that the launcher still starts there (the call's result is not looked at).
SourceListSetInfoFunction FindSourceListSetInfo() {
  HMODULE msi = GetModuleHandleW(L"msi.dll");
  if (msi == nullptr) return nullptr;
  return reinterpret_cast<SourceListSetInfoFunction>(
      reinterpret_cast<void*>(GetProcAddress(msi, "MsiSourceListSetInfoW")));
}

// "#" and the handle's decimal digits: how the package functions accept an open database.
struct HandleReference {
  explicit HandleReference(MSIHANDLE handle) {
    wchar_t digits[12];
    int count = 0;
    do {
      digits[count++] = static_cast<wchar_t>(L'0' + handle % 10);
      handle /= 10;
    } while (handle != 0);
    int at = 0;
    text[at++] = L'#';
    while (count > 0) text[at++] = digits[--count];
    text[at] = L'\0';
  }
  wchar_t text[14];
};

}  // namespace

void MsiInstaller::SetInternalUi(int level) {
  MsiSetInternalUI(static_cast<INSTALLUILEVEL>(level), nullptr);
}

int MsiInstaller::QueryProductState(const char16_t* product) {
  return MsiQueryProductStateW(Wide(product));
}

int MsiInstaller::QueryFeatureState(const char16_t* product, const char16_t* feature) {
  return MsiQueryFeatureStateW(Wide(product), Wide(feature));
}

std::uint32_t MsiInstaller::GetProductInfo(const char16_t* product, const char16_t* property,
                                           char16_t* buffer, std::uint32_t* size) {
  DWORD room = *size;
  UINT result = MsiGetProductInfoW(Wide(product), Wide(property), Wide(buffer), &room);
  *size = room;
  return result;
}

std::uint32_t MsiInstaller::OpenPackageEx(const char16_t* path, std::uint32_t options,
                                          MsiHandle* handle) {
  MSIHANDLE opened = 0;
  UINT result = MsiOpenPackageExW(Wide(path), options, &opened);
  if (result == ERROR_PRODUCT_VERSION && (options & MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE) != 0) {
    // Wine's msi.dll ignores the flag: for an installed product it opens the cached package and
    // refuses a package file of another version. A package made from the file's database handle
    // ("#nnnn", as MsiOpenPackage accepts it) is the file itself on every system. The package
    // keeps its own reference to the database.
    const LPCWSTR readOnly = nullptr;  // MSIDBOPEN_READONLY, spelled for the wide call
    OwnedMsiHandle database;
    if (MsiOpenDatabaseW(Wide(path), readOnly, database.Receive()) == ERROR_SUCCESS) {
      result = MsiOpenPackageExW(HandleReference(database.Get()).text, options, &opened);
    }
  }
  *handle = opened;
  return result;
}

std::uint32_t MsiInstaller::GetProperty(MsiHandle handle, const char16_t* name, char16_t* buffer,
                                        std::uint32_t* size) {
  DWORD room = *size;
  UINT result = MsiGetPropertyW(handle, Wide(name), Wide(buffer), &room);
  *size = room;
  return result;
}

std::uint32_t MsiInstaller::CloseMsiHandle(MsiHandle handle) {
  return MsiCloseHandle(handle);
}

std::uint32_t MsiInstaller::SourceListClearAll(const char16_t* product, const char16_t* user,
                                               std::uint32_t reserved) {
  return MsiSourceListClearAllW(Wide(product), Wide(user), reserved);
}

std::uint32_t MsiInstaller::SourceListSetInfo(const char16_t* product, const char16_t* userSid,
                                              int context, std::uint32_t options,
                                              const char16_t* property, const char16_t* value) {
  static const SourceListSetInfoFunction setInfo = FindSourceListSetInfo();
  if (setInfo == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  return setInfo(Wide(product), Wide(userSid), static_cast<MSIINSTALLCONTEXT>(context), options,
                 Wide(property), Wide(value));
}
