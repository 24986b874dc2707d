#include "win32/certificate_stores.h"

#include <windows.h>

#include <wincrypt.h>

#include "win32/handles.h"
#include "win32/system_libraries.h"
#include "win32/wide_text.h"

namespace {

HCERTSTORE StoreOf(CertStoreHandle store) {
  return reinterpret_cast<HCERTSTORE>(RawHandle(store));
}
PCCERT_CONTEXT ContextOf(CertContextRef certificate) {
  return static_cast<PCCERT_CONTEXT>(certificate);
}

}  // namespace

// The error is read in every case; it tells something only where the call failed.
SysResult<CertStoreHandle> CertificateStores::OpenStore(CertStoreProvider provider,
                                                        std::uint32_t encoding, std::uint32_t flags,
                                                        const char16_t* parameter) {
  LPCSTR storeProvider = provider == CertStoreProvider::kFileName ? CERT_STORE_PROV_FILENAME_W
                                                                  : CERT_STORE_PROV_SYSTEM_W;
  return {SysHandleOf<CertStoreHandle>(crypt_.openStore(storeProvider, encoding, 0, flags,
                                                        static_cast<const void*>(parameter))),
          GetLastError()};
}

CertContextRef CertificateStores::EnumCertificates(CertStoreHandle store, CertContextRef previous) {
  return crypt_.enumCertificates(StoreOf(store), ContextOf(previous));
}

SysResult<bool> CertificateStores::AddCertificate(CertStoreHandle store, CertContextRef certificate,
                                                  std::uint32_t disposition) {
  return {
      crypt_.addCertificate(StoreOf(store), ContextOf(certificate), disposition, nullptr) != FALSE,
      GetLastError()};
}

bool CertificateStores::GetCertificateProperty(CertContextRef certificate, std::uint32_t property,
                                               void* data, std::uint32_t* size) {
  DWORD length = *size;
  const bool read = crypt_.getProperty(ContextOf(certificate), property, data, &length) != FALSE;
  *size = length;
  return read;
}

std::uint32_t CertificateStores::GetNameString(CertContextRef certificate, std::uint32_t type,
                                               std::uint32_t typeParameter, char16_t* buffer,
                                               std::uint32_t length) {
  DWORD parameter = typeParameter;
  return crypt_.getNameString(ContextOf(certificate), type, 0, &parameter, Wide(buffer), length);
}

bool CertificateStores::CloseStore(CertStoreHandle store, std::uint32_t flags) {
  return crypt_.closeStore(StoreOf(store), flags) != FALSE;
}
