#pragma once

#include <map>
#include <string>
#include <vector>

#include "fakes/fake_kernel.h"
#include "system/cert_api.h"

// Certificate stores: a file opens as a store when `files` knows its full path; the system
// store "Root" opens unless `rootFails`. Added certificates are recorded by name.
class FakeCerts : public CertApi {
 public:
  explicit FakeCerts(FakeKernel& kernel) : kernel_(kernel) {}

  std::map<std::u16string, std::vector<std::string>> files;  // full path -> certificate names
  bool rootFails = false;

  std::vector<std::u16string> opened;  // file paths and "system:<name>" in order of opening
  std::vector<std::string> added;      // certificate names added to the root store
  std::vector<std::uint32_t> dispositions;

  CertStoreHandle OpenStore(CertStoreProvider provider, std::uint32_t encoding, std::uint32_t flags,
                            const char16_t* parameter) override {
    encodings.push_back(encoding);
    openFlags.push_back(flags);
    if (provider == CertStoreProvider::kSystem) {
      opened.push_back(u"system:" + std::u16string(parameter));
      if (rootFails) return 0;
      CertStoreHandle store = kernel_.OpenHandle("store");
      contents_[store] = {};
      return store;
    }
    opened.emplace_back(parameter);
    auto it = files.find(parameter);
    if (it == files.end()) return 0;
    CertStoreHandle store = kernel_.OpenHandle("store");
    contents_[store] = it->second;
    return store;
  }
  CertContextRef EnumCertificates(CertStoreHandle store, CertContextRef previous) override {
    auto& certs = contents_[store];
    std::size_t next = 0;
    if (previous != nullptr) {
      next = static_cast<const std::string*>(previous) - certs.data() + 1;
    }
    return next < certs.size() ? &certs[next] : nullptr;
  }
  bool AddCertificate(CertStoreHandle store, CertContextRef certificate,
                      std::uint32_t disposition) override {
    (void)store;
    added.push_back(*static_cast<const std::string*>(certificate));
    dispositions.push_back(disposition);
    return true;
  }
  bool CloseStore(CertStoreHandle store, std::uint32_t flags) override {
    closeFlags.push_back(flags);
    return kernel_.CloseHandle(store);
  }

  std::vector<std::uint32_t> encodings, openFlags, closeFlags;

 private:
  FakeKernel& kernel_;
  std::map<CertStoreHandle, std::vector<std::string>> contents_;
};
