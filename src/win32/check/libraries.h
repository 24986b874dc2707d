#pragma once

#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <wincrypt.h>

#include <cstdint>

#include "win32/dll_search.h"
#include "win32/handles.h"

// The msi.dll functions that read a package's database without opening an installer session.
struct DatabaseFunctions {
  decltype(&::MsiOpenDatabaseW) openDatabase = nullptr;
  decltype(&::MsiDatabaseOpenViewW) openView = nullptr;
  decltype(&::MsiViewExecute) execute = nullptr;
  decltype(&::MsiViewFetch) fetch = nullptr;
  decltype(&::MsiRecordGetStringW) recordString = nullptr;
  decltype(&::MsiCloseHandle) closeHandle = nullptr;
  decltype(&::MsiGetSummaryInformationW) summaryInformation = nullptr;
  decltype(&::MsiSummaryInfoGetPropertyW) summaryProperty = nullptr;
};

// The crypt32.dll functions that describe a certificate.
struct CertificateFunctions {
  decltype(&::CertOpenStore) openStore = nullptr;
  decltype(&::CertEnumCertificatesInStore) enumCertificates = nullptr;
  decltype(&::CertCloseStore) closeStore = nullptr;
  decltype(&::CertGetNameStringW) nameString = nullptr;
  decltype(&::CertGetCertificateContextProperty) contextProperty = nullptr;
  decltype(&::CertVerifyTimeValidity) verifyTime = nullptr;
  decltype(&::CertFindExtension) findExtension = nullptr;
  decltype(&::CryptDecodeObjectEx) decodeObject = nullptr;
};

// msi.dll and crypt32.dll loaded from the system directory a second time (the loader counts
// references) for the functions the checker needs beyond the launcher's.
class CheckLibraries {
 public:
  // 0, or the Windows error of the first failure.
  std::uint32_t Load(DllSearch search);

  const DatabaseFunctions& Database() const { return database_; }
  const CertificateFunctions& Certificates() const { return certificates_; }

 private:
  OwnedModule msiModule_;
  OwnedModule cryptModule_;
  DatabaseFunctions database_;
  CertificateFunctions certificates_;
};
