#pragma once

#include "system/cert_api.h"

struct CryptFunctions;

// CertApi over crypt32, through the functions that SystemLibraries took from it.
class CertificateStores : public CertApi {
 public:
  // `crypt` is read at each call, so it may be filled after construction.
  explicit CertificateStores(const CryptFunctions& crypt) : crypt_(crypt) {}

  SysResult<CertStoreHandle> OpenStore(CertStoreProvider provider, std::uint32_t encoding,
                                       std::uint32_t flags, const char16_t* parameter) override;
  CertContextRef EnumCertificates(CertStoreHandle store, CertContextRef previous) override;
  SysResult<bool> AddCertificate(CertStoreHandle store, CertContextRef certificate,
                                 std::uint32_t disposition) override;
  bool GetCertificateProperty(CertContextRef certificate, std::uint32_t property, void* data,
                              std::uint32_t* size) override;
  std::uint32_t GetNameString(CertContextRef certificate, std::uint32_t type,
                              std::uint32_t typeParameter, char16_t* buffer,
                              std::uint32_t length) override;
  bool CloseStore(CertStoreHandle store, std::uint32_t flags) override;

 private:
  const CryptFunctions& crypt_;
};
