#pragma once

#include "system/system.h"

// For each kind of handle the core owns: whether a value holds a handle, and how it is closed,
// through the interface that opened it.
inline bool HoldsHandle(SearchHandle search) {
  return search != kInvalidHandle<SearchHandle>;  // FindFirstFileW's failure
}
inline void CloseOwned(FileApi& files, SearchHandle search) {
  files.CloseFind(search);  // FindClose
}
template <typename KernelObject>  // process, thread, token: 0 or INVALID_HANDLE_VALUE is none
bool HoldsHandle(KernelObject handle) {
  return handle != KernelObject{} && handle != kInvalidHandle<KernelObject>;
}
inline void CloseOwned(PlatformApi& platform, ProcessHandle process) {
  platform.CloseSysHandle(process);  // CloseHandle
}
inline void CloseOwned(PlatformApi& platform, ThreadHandle thread) {
  platform.CloseSysHandle(thread);
}
inline void CloseOwned(PlatformApi& platform, TokenHandle token) {
  platform.CloseSysHandle(token);
}
inline bool HoldsHandle(CertStoreHandle store) {
  return store != CertStoreHandle{};  // CertOpenStore's failure
}
inline void CloseOwned(CertApi& certs, CertStoreHandle store) {
  certs.CloseStore(store, 0);  // CertCloseStore with flags 0
}
inline bool HoldsHandle(MsiHandle package) {
  return package != MsiHandle{};  // MsiOpenPackageExW's failure
}
inline void CloseOwned(PackageApi& packages, MsiHandle package) {
  packages.CloseMsiHandle(package);  // MsiCloseHandle
}

// The owner of one handle the core opened: closes it once, when it goes out of scope, and only
// when it holds one. Owners declared later in a scope close earlier. The kind is told by the
// handle's type, e.g. `Scoped thread(platform, handle)`.
template <typename Api, typename Handle>
class Scoped {
 public:
  Scoped(Api& api, Handle handle) : api_(api), handle_(handle) {}
  ~Scoped() {
    if (IsOpen()) CloseOwned(api_, handle_);
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;

  bool IsOpen() const { return HoldsHandle(handle_); }
  Handle get() const { return handle_; }
  // The interface the handle is used and closed through.
  Api& api() const { return api_; }

 private:
  Api& api_;
  Handle handle_;
};

using ScopedFind = Scoped<FileApi, SearchHandle>;
using ScopedCertStore = Scoped<CertApi, CertStoreHandle>;
using PackageSession = Scoped<PackageApi, MsiHandle>;  // one package opened for reading
