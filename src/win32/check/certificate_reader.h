#pragma once

#include "check/check_inputs.h"

struct CertificateFunctions;

// Certificates read through crypt32 from a certificate file, as the launcher opens it.
class CryptCertificateReader : public CertificateReader {
 public:
  explicit CryptCertificateReader(const CertificateFunctions& crypt) : crypt_(crypt) {}

  std::vector<CertificateFacts> ReadCertificates(const std::u16string& path) override;

 private:
  const CertificateFunctions& crypt_;
};
