#include "win32/check_libraries.h"

namespace {

template <typename Function>
bool Find(HMODULE module, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return *function != nullptr;
}

std::uint32_t LoadError() {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_MOD_NOT_FOUND;
}

}  // namespace

std::uint32_t CheckLibraries::Load(DllSearch search) {
  msiModule_.Reset(LoadSystemLibrary(L"msi.dll", search));
  if (!msiModule_) return LoadError();
  const HMODULE msi = msiModule_.Get();
  DatabaseFunctions database;
  if (!(Find(msi, "MsiOpenDatabaseW", &database.openDatabase) &&
        Find(msi, "MsiDatabaseOpenViewW", &database.openView) &&
        Find(msi, "MsiViewExecute", &database.execute) &&
        Find(msi, "MsiViewFetch", &database.fetch) &&
        Find(msi, "MsiRecordGetStringW", &database.recordString) &&
        Find(msi, "MsiCloseHandle", &database.closeHandle))) {
    return ERROR_PROC_NOT_FOUND;
  }

  cryptModule_.Reset(LoadSystemLibrary(L"crypt32.dll", search));
  if (!cryptModule_) return LoadError();
  const HMODULE crypt = cryptModule_.Get();
  CertificateFunctions certificates;
  if (!(Find(crypt, "CertOpenStore", &certificates.openStore) &&
        Find(crypt, "CertEnumCertificatesInStore", &certificates.enumCertificates) &&
        Find(crypt, "CertCloseStore", &certificates.closeStore) &&
        Find(crypt, "CertGetNameStringW", &certificates.nameString) &&
        Find(crypt, "CertGetCertificateContextProperty", &certificates.contextProperty) &&
        Find(crypt, "CertVerifyTimeValidity", &certificates.verifyTime) &&
        Find(crypt, "CertFindExtension", &certificates.findExtension) &&
        Find(crypt, "CryptDecodeObjectEx", &certificates.decodeObject))) {
    return ERROR_PROC_NOT_FOUND;
  }
  database_ = database;
  certificates_ = certificates;
  return ERROR_SUCCESS;
}
