#include "win32/check/certificate_reader.h"

#include <windows.h>

#include <wincrypt.h>

#include "common/number_text.h"
#include "win32/check/libraries.h"
#include "win32/handles.h"
#include "win32/wide_text.h"

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// A certificate store closed through the checker's function table.
struct CloseStore {
  void operator()(HCERTSTORE store) const { crypt->closeStore(store, 0); }
  const CertificateFunctions* crypt;
};
using StoreHandle = OwnedBy<HCERTSTORE, CloseStore>;

std::u16string DateText(const FILETIME& time) {
  SYSTEMTIME date{};
  if (!FileTimeToSystemTime(&time, &date)) return u"?";
  wchar_t text[16];
  wsprintfW(text, L"%04u-%02u-%02u", date.wYear, date.wMonth, date.wDay);
  return Utf16String(text);
}

std::u16string Subject(const CertificateFunctions& crypt, PCCERT_CONTEXT certificate) {
  wchar_t name[512] = {};
  crypt.nameString(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, 512);
  return Utf16String(name);
}

std::u16string Thumbprint(const CertificateFunctions& crypt, PCCERT_CONTEXT certificate) {
  BYTE hash[20] = {};
  DWORD size = sizeof hash;
  if (!crypt.contextProperty(certificate, CERT_SHA1_HASH_PROP_ID, hash, &size)) return u"?";
  std::u16string text;
  for (DWORD i = 0; i < size; ++i) {
    text += HexDigit(hash[i] >> 4);
    text += HexDigit(hash[i]);
  }
  return text;
}

bool IsCertificationAuthority(const CertificateFunctions& crypt, PCCERT_CONTEXT certificate) {
  const PCERT_INFO info = certificate->pCertInfo;
  const PCERT_EXTENSION extension =
      crypt.findExtension(szOID_BASIC_CONSTRAINTS2, info->cExtension, info->rgExtension);
  if (extension == nullptr) return false;
  CERT_BASIC_CONSTRAINTS2_INFO constraints{};
  DWORD size = sizeof constraints;
  if (!crypt.decodeObject(X509_ASN_ENCODING, X509_BASIC_CONSTRAINTS2, extension->Value.pbData,
                          extension->Value.cbData, 0, nullptr, &constraints, &size)) {
    return false;
  }
  return constraints.fCA != FALSE;
}

}  // namespace

std::vector<CertificateFacts> CryptCertificateReader::ReadCertificates(const std::u16string& path) {
  std::vector<CertificateFacts> certificates;
  StoreHandle store(CloseStore{&crypt_}, crypt_.openStore(CERT_STORE_PROV_FILENAME_W, kEncoding, 0,
                                                          CERT_STORE_READONLY_FLAG,
                                                          static_cast<const void*>(Wide(path))));
  if (store.Get() == nullptr) return certificates;
  // Each call frees the context passed back in; the walk ends with null, nothing left to free.
  for (PCCERT_CONTEXT certificate = crypt_.enumCertificates(store.Get(), nullptr);
       certificate != nullptr; certificate = crypt_.enumCertificates(store.Get(), certificate)) {
    CertificateFacts facts;
    facts.subject = Subject(crypt_, certificate);
    facts.thumbprint = Thumbprint(crypt_, certificate);
    facts.notBefore = DateText(certificate->pCertInfo->NotBefore);
    facts.notAfter = DateText(certificate->pCertInfo->NotAfter);
    const LONG validity = crypt_.verifyTime(nullptr, certificate->pCertInfo);
    facts.notYetValid = validity < 0;
    facts.expired = validity > 0;
    facts.isCa = IsCertificationAuthority(crypt_, certificate);
    certificates.push_back(facts);
  }
  return certificates;
}
