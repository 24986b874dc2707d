// msi.dll and crypt32.dll loaded from the system directory, and the functions taken from them.
#include "win32/system_libraries.h"

std::uint32_t LoadError() {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_MOD_NOT_FOUND;
}

std::uint32_t ResolveMsiFunctions(HMODULE module, MsiFunctions* functions) {
  MsiFunctions found;
  const bool complete =
      FindExport(module, "MsiSetInternalUI", &found.setInternalUi) &&
      FindExport(module, "MsiQueryProductStateW", &found.queryProductState) &&
      FindExport(module, "MsiQueryFeatureStateW", &found.queryFeatureState) &&
      FindExport(module, "MsiGetProductInfoW", &found.getProductInfo) &&
      FindExport(module, "MsiGetComponentPathW", &found.getComponentPath) &&
      FindExport(module, "MsiOpenPackageExW", &found.openPackageEx) &&
      FindExport(module, "MsiGetPropertyW", &found.getProperty) &&
      FindExport(module, "MsiCloseHandle", &found.closeHandle) &&
      FindExport(module, "MsiSourceListClearAllW", &found.sourceListClearAll) &&
      FindExport(module, "MsiOpenDatabaseW", &found.openDatabase) &&
      FindExport(module, "MsiDatabaseOpenViewW", &found.openView) &&
      FindExport(module, "MsiViewExecute", &found.execute) &&
      FindExport(module, "MsiViewFetch", &found.fetch) &&
      FindExport(module, "MsiRecordGetStringW", &found.recordString) &&
      FindExport(module, "MsiGetSummaryInformationW", &found.summaryInformation) &&
      FindExport(module, "MsiSummaryInfoGetPropertyW", &found.summaryProperty);
  if (!complete) return ERROR_PROC_NOT_FOUND;
  FindExport(module, "MsiSourceListSetInfoW", &found.sourceListSetInfo);
  *functions = found;
  return ERROR_SUCCESS;
}

std::uint32_t ResolveCryptFunctions(HMODULE module, CryptFunctions* functions) {
  CryptFunctions found;
  const bool complete =
      FindExport(module, "CertOpenStore", &found.openStore) &&
      FindExport(module, "CertEnumCertificatesInStore", &found.enumCertificates) &&
      FindExport(module, "CertAddCertificateContextToStore", &found.addCertificate) &&
      FindExport(module, "CertCloseStore", &found.closeStore) &&
      FindExport(module, "CertGetCertificateContextProperty", &found.getProperty) &&
      FindExport(module, "CertGetNameStringW", &found.getNameString);
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
