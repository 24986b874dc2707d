#include "actions/root_certificates.h"

#include <string>

#include "installer/scoped_handles.h"

namespace {

// Adds every certificate of one file to the local machine's Root store. A file whose full
// path does not fit the path buffer, that is no certificate store, or for which the Root store
// cannot be opened is skipped.
void AddCertificatesOfFile(const System& sys, const std::u16string& name) {
  char16_t fullPath[kMaxPath] = {};
  const std::uint32_t length = sys.files.ReadFullPathName(name.c_str(), kMaxPath, fullPath);
  if (length == 0 || length >= kMaxPath) return;

  ScopedCertStore file(
      sys.certs, sys.certs.OpenStore(CertStoreProvider::kFileName, kCertEncoding, 0, fullPath));
  if (!file.IsOpen()) return;
  // Opened once per file; declared after `file`, so it is closed first.
  ScopedCertStore root(sys.certs, sys.certs.OpenStore(CertStoreProvider::kSystem, kCertEncoding,
                                                      kSystemStoreLocalMachine, u"Root"));
  if (!root.IsOpen()) return;

  for (CertContextRef certificate = sys.certs.EnumCertificates(file.get(), nullptr);
       certificate != nullptr; certificate = sys.certs.EnumCertificates(file.get(), certificate)) {
    sys.certs.AddCertificate(root.get(), certificate, kCertStoreAddAlways);
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
