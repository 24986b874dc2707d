// The checker's crypt32.dll functions beyond the launcher's, taken from the loaded DLL.
#include "win32/check/libraries.h"

#include "win32/find_export.h"

std::uint32_t ResolveCertificateFunctions(HMODULE crypt, CertificateFunctions* functions) {
  CertificateFunctions found;
  const bool complete =
      FindExport(crypt, "CertOpenStore", &found.openStore) &&
      FindExport(crypt, "CertEnumCertificatesInStore", &found.enumCertificates) &&
      FindExport(crypt, "CertCloseStore", &found.closeStore) &&
      FindExport(crypt, "CertGetNameStringW", &found.nameString) &&
      FindExport(crypt, "CertGetCertificateContextProperty", &found.contextProperty) &&
      FindExport(crypt, "CertVerifyTimeValidity", &found.verifyTime) &&
      FindExport(crypt, "CertFindExtension", &found.findExtension) &&
      FindExport(crypt, "CryptDecodeObjectEx", &found.decodeObject);
  if (!complete) return ERROR_PROC_NOT_FOUND;
  *functions = found;
  return ERROR_SUCCESS;
}
