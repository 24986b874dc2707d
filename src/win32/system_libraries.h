#pragma once

#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <wincrypt.h>

#include <cstdint>

#include "win32/dll_search.h"
#include "win32/find_export.h"
#include "win32/handles.h"

// The msi.dll functions the launcher and the checker call. Taken from the DLL at run time
// instead of through the import table, which would load msi.dll before the program could narrow
// the DLL search. Every one but the last exists in Windows Installer 2.0 (Windows 2000).
struct MsiFunctions {
  decltype(&::MsiSetInternalUI) setInternalUi = nullptr;
  decltype(&::MsiQueryProductStateW) queryProductState = nullptr;
  decltype(&::MsiQueryFeatureStateW) queryFeatureState = nullptr;
  decltype(&::MsiGetProductInfoW) getProductInfo = nullptr;
  decltype(&::MsiGetComponentPathW) getComponentPath = nullptr;
  decltype(&::MsiOpenPackageExW) openPackageEx = nullptr;
  decltype(&::MsiGetPropertyW) getProperty = nullptr;
  decltype(&::MsiCloseHandle) closeHandle = nullptr;
  decltype(&::MsiSourceListClearAllW) sourceListClearAll = nullptr;
  // A package's tables and summary information, read without an installer session.
  decltype(&::MsiOpenDatabaseW) openDatabase = nullptr;
  decltype(&::MsiDatabaseOpenViewW) openView = nullptr;
  decltype(&::MsiViewExecute) execute = nullptr;
  decltype(&::MsiViewFetch) fetch = nullptr;
  decltype(&::MsiRecordGetStringW) recordString = nullptr;
  decltype(&::MsiGetSummaryInformationW) summaryInformation = nullptr;
  decltype(&::MsiSummaryInfoGetPropertyW) summaryProperty = nullptr;
  // Windows Installer 3.0 and later only (Windows 2000 ships 2.0): may stay null.
  UINT(WINAPI* sourceListSetInfo)
  (LPCWSTR, LPCWSTR, MSIINSTALLCONTEXT, DWORD, LPCWSTR, LPCWSTR) = nullptr;
};

// The crypt32.dll functions the launcher calls, taken the same way.
struct CryptFunctions {
  decltype(&::CertOpenStore) openStore = nullptr;
  decltype(&::CertEnumCertificatesInStore) enumCertificates = nullptr;
  decltype(&::CertAddCertificateContextToStore) addCertificate = nullptr;
  decltype(&::CertCloseStore) closeStore = nullptr;
  decltype(&::CertGetCertificateContextProperty) getProperty = nullptr;
  decltype(&::CertGetNameStringW) getNameString = nullptr;
};

// What a failed LoadSystemLibrary left as the last error; never 0, so that it cannot read as
// success.
std::uint32_t LoadError();

// Fills `functions` from `module`. 0, or ERROR_PROC_NOT_FOUND when a function that the programs
// need is missing (then nothing is filled).
std::uint32_t ResolveMsiFunctions(HMODULE module, MsiFunctions* functions);
std::uint32_t ResolveCryptFunctions(HMODULE module, CryptFunctions* functions);

// msi.dll and crypt32.dll, loaded from the system directory for the life of the process, for
// the launcher and the checker alike.
class SystemLibraries {
 public:
  // Loads both and takes their functions. 0, or the Windows error of the first failure
  // (ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND, ...); failedLibrary() then names the DLL.
  std::uint32_t Load(DllSearch search);
  const wchar_t* failedLibrary() const { return failedLibrary_; }

  // Filled by Load; until then every pointer is null.
  const MsiFunctions& Msi() const { return msi_; }
  const CryptFunctions& Crypt() const { return crypt_; }

  // The loaded crypt32.dll, from which the checker takes the further functions it needs; null
  // until Load has loaded it.
  HMODULE CryptModule() const { return cryptModule_.Get(); }

 private:
  OwnedModule msiModule_;
  OwnedModule cryptModule_;
  MsiFunctions msi_;
  CryptFunctions crypt_;
  const wchar_t* failedLibrary_ = L"";
};
