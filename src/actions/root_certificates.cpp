#include "actions/root_certificates.h"

#include <string>

#include "installer/scoped_handles.h"
#include "ui/localized_strings.h"

namespace {

constexpr std::uint32_t kThumbprintBytes = 20;  // SHA-1

// The certificate's SHA-1 thumbprint in upper-case hex and its subject, for the log.
std::u16string DescribeCertificate(CertApi& certs, CertContextRef certificate) {
  static const char16_t kHex[] = u"0123456789ABCDEF";
  std::uint8_t hash[kThumbprintBytes] = {};
  std::uint32_t size = kThumbprintBytes;
  std::u16string text;
  if (certs.GetCertificateProperty(certificate, kCertSha1HashPropId, hash, &size)) {
    for (std::uint32_t i = 0; i < size && i < kThumbprintBytes; ++i) {
      text += kHex[hash[i] >> 4];
      text += kHex[hash[i] & 0xF];
    }
  } else {
    text = u"(no thumbprint)";
  }
  const std::uint32_t length =
      certs.GetNameString(certificate, kCertNameRdnType, kCertX500NameStr, nullptr, 0);
  std::u16string subject(length, u'\0');
  if (length > 1 && certs.GetNameString(certificate, kCertNameRdnType, kCertX500NameStr,
                                        subject.data(), length) == length) {
    subject.resize(length - 1);
    return text + u" " + subject;
  }
  return text;
}

void LogSkippedFile(const System& sys, const std::u16string& file, const char16_t* reason,
                    std::uint32_t error) {
  sys.log.Line(u"certificate file " + file + u" skipped: " + reason + u", error " +
               DecimalText(error));
}

// Adds every certificate of one file to the local machine's Root store. A file whose full
// path does not fit the path buffer, that is no certificate store, or for which the Root store
// cannot be opened is skipped.
void AddCertificatesOfFile(const System& sys, const std::u16string& name) {
  char16_t fullPath[kMaxPath] = {};
  const std::uint32_t length = sys.files.ReadFullPathName(name.c_str(), kMaxPath, fullPath);
  if (length == 0 || length >= kMaxPath) {
    LogSkippedFile(sys, name, u"no full path that fits",
                   length == 0 ? sys.platform.LastError() : 0);
    return;
  }

  ScopedCertStore file(
      sys.certs, sys.certs.OpenStore(CertStoreProvider::kFileName, kCertEncoding, 0, fullPath));
  if (!file.IsOpen()) {
    LogSkippedFile(sys, fullPath, u"not a certificate file", sys.platform.LastError());
    return;
  }
  // Opened once per file; declared after `file`, so it is closed first.
  ScopedCertStore root(sys.certs, sys.certs.OpenStore(CertStoreProvider::kSystem, kCertEncoding,
                                                      kSystemStoreLocalMachine, u"Root"));
  if (!root.IsOpen()) {
    LogSkippedFile(sys, fullPath, u"the Root store cannot be opened", sys.platform.LastError());
    return;
  }

  for (CertContextRef certificate = sys.certs.EnumCertificates(file.get(), nullptr);
       certificate != nullptr; certificate = sys.certs.EnumCertificates(file.get(), certificate)) {
    if (sys.certs.AddCertificate(root.get(), certificate, kCertStoreAddAlways)) {
      sys.log.Line(u"certificate added to Root: " + DescribeCertificate(sys.certs, certificate));
    } else {
      const std::uint32_t error = sys.platform.LastError();
      sys.log.Line(u"certificate not added to Root, error " + DecimalText(error) + u": " +
                   DescribeCertificate(sys.certs, certificate));
    }
  }
}

}  // namespace

void AddRootCertificates(const System& sys) {
  for (const char16_t* pattern : {u"*.cer", u"*.p7b", u"*.crt"}) {
    FindEntry entry;
    ScopedFind search(sys.files, sys.files.FindFirst(pattern, &entry));
    if (!search.IsOpen()) continue;
    do {
      AddCertificatesOfFile(sys, entry.name);
    } while (sys.files.FindNext(search.get(), &entry));
  }
}
