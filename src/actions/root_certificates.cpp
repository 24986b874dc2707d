#include "actions/root_certificates.h"

#include <string>

#include "common/number_text.h"
#include "common/scoped_handles.h"
#include "log/log_lines.h"

namespace {

constexpr std::uint32_t kThumbprintBytes = 20;  // SHA-1
constexpr std::uint32_t kSubjectMax = 256;      // a longer subject is cut short

// The certificate's SHA-1 thumbprint in upper-case hex and its subject, for the log.
std::u16string DescribeCertificate(CertApi& certs, CertContextRef certificate) {
  std::uint8_t hash[kThumbprintBytes] = {};
  std::uint32_t size = kThumbprintBytes;
  char16_t text[2 * kThumbprintBytes + 1 + kSubjectMax];
  char16_t* end = text;
  if (certs.GetCertificateProperty(certificate, kCertSha1HashPropId, hash, &size)) {
    for (std::uint32_t i = 0; i < size && i < kThumbprintBytes; ++i) {
      *end++ = HexDigit(hash[i] >> 4);
      *end++ = HexDigit(hash[i]);
    }
  }
  *end++ = u' ';
  const std::uint32_t written =
      certs.GetNameString(certificate, kCertNameRdnType, kCertX500NameStr, end, kSubjectMax);
  if (written > 1) end += written - 1;
  return std::u16string(text, end);
}

void LogSkippedFile(const System& sys, const std::u16string& file, LogPart reason,
                    std::uint32_t error) {
  sys.log.Line({"certificate file ", file, " skipped: ", reason, ", error ", ErrorCodeText(error)});
}

// Adds every certificate of one file to the local machine's Root store. A file whose full
// path does not fit the path buffer, that is no certificate store, or for which the Root store
// cannot be opened is skipped.
void AddCertificatesOfFile(const System& sys, const std::u16string& name) {
  char16_t fullPath[kMaxPath] = {};
  const SysResult<std::uint32_t> length =
      sys.files.ReadFullPathName(name.c_str(), kMaxPath, fullPath);
  if (length.value == 0 || length.value >= kMaxPath) {
    LogSkippedFile(sys, name, "no full path that fits", length.value == 0 ? length.error : 0);
    return;
  }

  const SysResult<CertStoreHandle> fileOpening =
      sys.certs.OpenStore(CertStoreProvider::kFileName, kCertEncoding, 0, fullPath);
  ScopedCertStore file(sys.certs, fileOpening.value);
  if (!file.IsOpen()) {
    LogSkippedFile(sys, fullPath, "not a certificate file", fileOpening.error);
    return;
  }
  // Opened once per file; declared after `file`, so it is closed first.
  const SysResult<CertStoreHandle> rootOpening = sys.certs.OpenStore(
      CertStoreProvider::kSystem, kCertEncoding, kSystemStoreLocalMachine, u"Root");
  ScopedCertStore root(sys.certs, rootOpening.value);
  if (!root.IsOpen()) {
    LogSkippedFile(sys, fullPath, "the Root store cannot be opened", rootOpening.error);
    return;
  }

  for (CertContextRef certificate = sys.certs.EnumCertificates(file.get(), nullptr);
       certificate != nullptr; certificate = sys.certs.EnumCertificates(file.get(), certificate)) {
    const SysResult<bool> added =
        sys.certs.AddCertificate(root.get(), certificate, kCertStoreAddAlways);
    if (added.value) {
      sys.log.Line({"certificate added to Root: ", DescribeCertificate(sys.certs, certificate)});
    } else {
      sys.log.Line({"certificate not added to Root, error ", ErrorCodeText(added.error), ": ",
                    DescribeCertificate(sys.certs, certificate)});
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
