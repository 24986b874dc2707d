#include "win32/check/libraries.h"

#include "win32/system_libraries.h"

std::uint32_t CheckLibraries::Load(DllSearch search) {
  msiModule_.Reset(LoadSystemLibrary(L"msi.dll", search));
  if (!msiModule_) return LoadError();
  const HMODULE msi = msiModule_.Get();
  DatabaseFunctions database;
  if (!(FindExport(msi, "MsiOpenDatabaseW", &database.openDatabase) &&
        FindExport(msi, "MsiDatabaseOpenViewW", &database.openView) &&
        FindExport(msi, "MsiViewExecute", &database.execute) &&
        FindExport(msi, "MsiViewFetch", &database.fetch) &&
        FindExport(msi, "MsiRecordGetStringW", &database.recordString) &&
        FindExport(msi, "MsiCloseHandle", &database.closeHandle) &&
        FindExport(msi, "MsiGetSummaryInformationW", &database.summaryInformation) &&
        FindExport(msi, "MsiSummaryInfoGetPropertyW", &database.summaryProperty))) {
    return ERROR_PROC_NOT_FOUND;
  }

  cryptModule_.Reset(LoadSystemLibrary(L"crypt32.dll", search));
  if (!cryptModule_) return LoadError();
  const HMODULE crypt = cryptModule_.Get();
  CertificateFunctions certificates;
  if (!(FindExport(crypt, "CertOpenStore", &certificates.openStore) &&
        FindExport(crypt, "CertEnumCertificatesInStore", &certificates.enumCertificates) &&
        FindExport(crypt, "CertCloseStore", &certificates.closeStore) &&
        FindExport(crypt, "CertGetNameStringW", &certificates.nameString) &&
        FindExport(crypt, "CertGetCertificateContextProperty", &certificates.contextProperty) &&
        FindExport(crypt, "CertVerifyTimeValidity", &certificates.verifyTime) &&
        FindExport(crypt, "CertFindExtension", &certificates.findExtension) &&
        FindExport(crypt, "CryptDecodeObjectEx", &certificates.decodeObject))) {
    return ERROR_PROC_NOT_FOUND;
  }
  database_ = database;
  certificates_ = certificates;
  return ERROR_SUCCESS;
}
