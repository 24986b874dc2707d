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

// Files of the current directory read with CreateFileW and ReadFile, shared for reading.
class KernelFileReader : public FileReader {
 public:
  // Reads at most the first 64 KiB: enough for every header the checker looks at.
  bool ReadFileBytes(const std::u16string& name, std::string& bytes) override;
};
