#pragma once

#include <cstdint>

#include "system/handles.h"
#include "system/sys_result.h"

using CertContextRef = const void*;  // PCCERT_CONTEXT, null means none

constexpr std::uint32_t kCertEncoding = 0x10001;             // X509_ASN | PKCS_7_ASN
constexpr std::uint32_t kSystemStoreLocalMachine = 0x20000;  // CERT_SYSTEM_STORE_LOCAL_MACHINE
constexpr std::uint32_t kCertStoreAddAlways = 4;             // CERT_STORE_ADD_ALWAYS
constexpr std::uint32_t kCertSha1HashPropId = 3;             // CERT_SHA1_HASH_PROP_ID
constexpr std::uint32_t kCertNameRdnType = 2;                // CERT_NAME_RDN_TYPE
constexpr std::uint32_t kCertX500NameStr = 3;                // CERT_X500_NAME_STR

enum class CertStoreProvider { kFileName, kSystem };  // CERT_STORE_PROV_FILENAME_W, _SYSTEM_W

// crypt32 certificate store functions.
class CertApi {
 public:
  virtual ~CertApi() = default;

  // CertOpenStore(provider, encoding, NULL, flags, parameter): 0 and the error on failure.
  virtual SysResult<CertStoreHandle> OpenStore(CertStoreProvider provider, std::uint32_t encoding,
                                               std::uint32_t flags, const char16_t* parameter) = 0;
  // CertEnumCertificatesInStore: frees `previous`, returns the next context or null.
  virtual CertContextRef EnumCertificates(CertStoreHandle store, CertContextRef previous) = 0;
  // CertAddCertificateContextToStore with no output context: false and the error on failure.
  virtual SysResult<bool> AddCertificate(CertStoreHandle store, CertContextRef certificate,
                                         std::uint32_t disposition) = 0;
  // CertGetCertificateContextProperty: `*size` in: room of `data`, out: bytes written.
  virtual bool GetCertificateProperty(CertContextRef certificate, std::uint32_t property,
                                      void* data, std::uint32_t* size) = 0;
  // CertGetNameStringW of the subject (flags 0) with `typeParameter` as pvTypePara: code
  // units written with the zero, 1 when there is no name; with a null `buffer` the size needed.
  virtual std::uint32_t GetNameString(CertContextRef certificate, std::uint32_t type,
                                      std::uint32_t typeParameter, char16_t* buffer,
                                      std::uint32_t length) = 0;
  // CertCloseStore.
  virtual bool CloseStore(CertStoreHandle store, std::uint32_t flags) = 0;
};
