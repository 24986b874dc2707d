#pragma once

#include <windows.h>

#include <wincrypt.h>

#include <cstdint>

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

// Fills the checker's functions beyond the launcher's from the crypt32.dll that SystemLibraries
// loaded. 0, or ERROR_PROC_NOT_FOUND when one is missing (then nothing is filled).
std::uint32_t ResolveCertificateFunctions(HMODULE crypt, CertificateFunctions* functions);
