#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the check reads from the distribution beyond the launcher's own system calls.

// Whole files of the current directory, read and never written.
class FileReader {
 public:
  virtual ~FileReader() = default;
  // False when the file is missing or cannot be read.
  virtual bool ReadFileBytes(const std::u16string& name, std::string& bytes) = 0;
};

// One certificate of a certificate file as crypt32 decodes it.
struct CertificateFacts {
  std::u16string subject;
  std::u16string thumbprint;  // SHA-1, upper-case hex
  std::u16string notBefore;   // YYYY-MM-DD
  std::u16string notAfter;
  bool expired = false;
  bool notYetValid = false;
  bool isCa = false;  // basic constraints say it is a certification authority
};

class CertificateReader {
 public:
  virtual ~CertificateReader() = default;
  // Every certificate of the file at `path` (a full path); empty when it holds none.
  virtual std::vector<CertificateFacts> ReadCertificates(const std::u16string& path) = 0;
};

// The summary information of a package file that decides where it installs.
struct PackageSummary {
  std::u16string templateValue;  // the Template summary property, "x64;1049"
  // The Page Count summary property: the Windows Installer version the package needs, 500
  // for 5.0, 405 for 4.5; 0 when the package has none.
  std::int32_t pageCount = 0;
};

// The summary information, read without opening an installer session.
class PackageSummaryReader {
 public:
  virtual ~PackageSummaryReader() = default;
  // The summary of the package at `path` (a full path); 0 or the installer's error.
  virtual std::uint32_t ReadSummary(const std::u16string& path, PackageSummary& summary) = 0;
};
