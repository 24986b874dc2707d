#pragma once

#include <map>
#include <string>
#include <vector>

#include "fakes/fake_kernel.h"
#include "system/cert_api.h"

// Certificate stores as crypt32 keeps them: a file opens as a store when `files` knows its full
// path (a ".p7b" may hold several certificates); the local machine's system store "Root" opens
// unless `rootFails`. Certificates are handed out in file order; adding works only on an open
// store. Every call is written to `events`, e.g. "open C:\dist\a.cer", "open system Root
// flags=0x20000", "add a1 disposition=4", "close Root flags=0", "close C:\dist\a.cer flags=0".
class FakeCerts : public CertApi {
 public:
  explicit FakeCerts(FakeKernel& kernel) : kernel_(kernel) {}

  std::map<std::u16string, std::vector<std::string>> files;  // full path -> certificate names
  bool rootFails = false;

  std::vector<std::string> events;
  std::vector<std::string> added;  // certificate names added to the root store
  std::vector<std::uint32_t> encodings;
  int rootOpens = 0;

  SysResult<CertStoreHandle> OpenStore(CertStoreProvider provider, std::uint32_t encoding,
                                       std::uint32_t flags, const char16_t* parameter) override {
    encodings.push_back(encoding);
    const std::string name = parameter ? Utf8(parameter) : "null";
    if (provider == CertStoreProvider::kSystem) {
      events.push_back("open system " + name + " flags=" + Hex(flags));
      ++rootOpens;
      if (rootFails || name != "Root" || flags != kSystemStoreLocalMachine)
        return {CertStoreHandle{}, 2};
      return {Open(name, {}, true), 0};
    }
    events.push_back("open " + name + (flags != 0 ? " flags=" + Hex(flags) : ""));
    auto it = files.find(parameter ? parameter : u"");
    if (it == files.end()) return {CertStoreHandle{}, 0x80092009};  // CRYPT_E_NO_MATCH
    return {Open(name, it->second, false), 0};
  }
  CertContextRef EnumCertificates(CertStoreHandle store, CertContextRef previous) override {
    auto it = stores_.find(store);
    if (it == stores_.end() || !kernel_.IsOpen(store)) return nullptr;
    const auto& certs = it->second.certificates;
    std::size_t next = 0;
    if (previous != nullptr) next = static_cast<const std::string*>(previous) - certs.data() + 1;
    return next < certs.size() ? &certs[next] : nullptr;
  }
  SysResult<bool> AddCertificate(CertStoreHandle store, CertContextRef certificate,
                                 std::uint32_t disposition) override {
    const std::string& name = *static_cast<const std::string*>(certificate);
    events.push_back("add " + name + " disposition=" + std::to_string(disposition));
    auto it = stores_.find(store);
    if (it == stores_.end() || !kernel_.IsOpen(store)) return {false, 6};  // ERROR_INVALID_HANDLE
    if (it->second.system) added.push_back(name);
    return {true, 0};
  }
  // The thumbprint of a certificate is its name's bytes, zero-padded to 20; its subject is
  // "CN=" and its name.
  bool GetCertificateProperty(CertContextRef certificate, std::uint32_t property, void* data,
                              std::uint32_t* size) override {
    const std::string& name = *static_cast<const std::string*>(certificate);
    if (property != kCertSha1HashPropId || *size < 20) return false;
    auto* bytes = static_cast<std::uint8_t*>(data);
    for (std::size_t i = 0; i < 20; ++i) bytes[i] = i < name.size() ? name[i] : 0;
    *size = 20;
    return true;
  }
  std::uint32_t GetNameString(CertContextRef certificate, std::uint32_t type,
                              std::uint32_t typeParameter, char16_t* buffer,
                              std::uint32_t length) override {
    if (type != kCertNameRdnType || typeParameter != kCertX500NameStr) return 1;
    const std::string subject = "CN=" + *static_cast<const std::string*>(certificate);
    const auto needed = static_cast<std::uint32_t>(subject.size() + 1);
    if (buffer == nullptr) return needed;
    if (length < needed) return 0;
    for (std::size_t i = 0; i < subject.size(); ++i) buffer[i] = static_cast<char16_t>(subject[i]);
    buffer[subject.size()] = u'\0';
    return needed;
  }
  bool CloseStore(CertStoreHandle store, std::uint32_t flags) override {
    auto it = stores_.find(store);
    events.push_back("close " + (it == stores_.end() ? std::string("?") : it->second.name) +
                     " flags=" + std::to_string(flags));
    return kernel_.CloseHandle(store);
  }

 private:
  struct Store {
    std::string name;
    std::vector<std::string> certificates;
    bool system = false;
  };
  static std::string Hex(std::uint32_t value) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    do {
      text.insert(text.begin(), digits[value % 16]);
      value /= 16;
    } while (value != 0);
    return "0x" + text;
  }
  CertStoreHandle Open(const std::string& name, std::vector<std::string> certificates,
                       bool system) {
    CertStoreHandle store = kernel_.OpenHandle("store");
    stores_[store] = Store{name, std::move(certificates), system};
    return store;
  }

  FakeKernel& kernel_;
  std::map<CertStoreHandle, Store> stores_;
};
