#include "win32/system_libraries.h"

namespace {

// What a failed load left as the last error; never 0, so that it cannot read as success.
std::uint32_t LoadError() {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_MOD_NOT_FOUND;
}

template <typename Function>
bool Find(HMODULE module, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return *function != nullptr;
}

}  // namespace

std::uint32_t ResolveMsiFunctions(HMODULE module, MsiFunctions* functions) {
  MsiFunctions found;
  const bool complete = Find(module, "MsiSetInternalUI", &found.setInternalUi) &&
                        Find(module, "MsiQueryProductStateW", &found.queryProductState) &&
                        Find(module, "MsiQueryFeatureStateW", &found.queryFeatureState) &&
                        Find(module, "MsiGetProductInfoW", &found.getProductInfo) &&
                        Find(module, "MsiOpenPackageExW", &found.openPackageEx) &&
                        Find(module, "MsiOpenDatabaseW", &found.openDatabase) &&
                        Find(module, "MsiGetPropertyW", &found.getProperty) &&
                        Find(module, "MsiCloseHandle", &found.closeHandle) &&
                        Find(module, "MsiSourceListClearAllW", &found.sourceListClearAll);
  if (!complete) return ERROR_PROC_NOT_FOUND;
  Find(module, "MsiSourceListSetInfoW", &found.sourceListSetInfo);
  *functions = found;
  return ERROR_SUCCESS;
}

std::uint32_t ResolveCryptFunctions(HMODULE module, CryptFunctions* functions) {
  CryptFunctions found;
  const bool complete = Find(module, "CertOpenStore", &found.openStore) &&
                        Find(module, "CertEnumCertificatesInStore", &found.enumCertificates) &&
                        Find(module, "CertAddCertificateContextToStore", &found.addCertificate) &&
                        Find(module, "CertCloseStore", &found.closeStore) &&
                        Find(module, "CertGetCertificateContextProperty", &found.getProperty) &&
                        Find(module, "CertGetNameStringW", &found.getNameString);
  if (!complete) return ERROR_PROC_NOT_FOUND;
  *functions = found;
  return ERROR_SUCCESS;
}

std::uint32_t SystemLibraries::Load(DllSearch search) {
  failedLibrary_ = L"msi.dll";
  msiModule_.Reset(LoadSystemLibrary(failedLibrary_, search));
  if (!msiModule_) return LoadError();
  if (const std::uint32_t error = ResolveMsiFunctions(msiModule_.Get(), &msi_); error != 0) {
    return error;
  }
  failedLibrary_ = L"crypt32.dll";
  cryptModule_.Reset(LoadSystemLibrary(failedLibrary_, search));
  if (!cryptModule_) return LoadError();
  if (const std::uint32_t error = ResolveCryptFunctions(cryptModule_.Get(), &crypt_); error != 0) {
    return error;
  }
  failedLibrary_ = L"";
  return ERROR_SUCCESS;
}
