#pragma once

#include "system/cert_api.h"

// CertApi over crypt32.
class CertificateStores : public CertApi {
 public:
  CertStoreHandle OpenStore(CertStoreProvider provider, std::uint32_t encoding, std::uint32_t flags,
                            const char16_t* parameter) override;
  CertContextRef EnumCertificates(CertStoreHandle store, CertContextRef previous) override;
  bool AddCertificate(CertStoreHandle store, CertContextRef certificate,
                      std::uint32_t disposition) override;
  bool CloseStore(CertStoreHandle store, std::uint32_t flags) override;
};
