#pragma once

#include "system/system.h"

// Small owners of the system handles the core opens. Each closes its handle once, when it goes
// out of scope, and only when it holds one. Owners declared later in a scope close earlier.

// A file search started with FindFirstFileW, closed with FindClose.
class ScopedFind {
 public:
  ScopedFind(FileApi& files, SearchHandle handle) : files_(files), handle_(handle) {}
  ~ScopedFind() {
    if (IsOpen()) files_.CloseFind(handle_);
  }
  ScopedFind(const ScopedFind&) = delete;
  ScopedFind& operator=(const ScopedFind&) = delete;

  bool IsOpen() const { return handle_ != kInvalidHandle<SearchHandle>; }
  SearchHandle get() const { return handle_; }

 private:
  FileApi& files_;
  SearchHandle handle_;
};

// A process, thread or token handle, closed with CloseHandle.
template <typename SysHandle>
class ScopedSysHandle {
 public:
  ScopedSysHandle(PlatformApi& platform, SysHandle handle) : platform_(platform), handle_(handle) {}
  ~ScopedSysHandle() {
    if (handle_ != SysHandle{} && handle_ != kInvalidHandle<SysHandle>) {
      platform_.CloseSysHandle(handle_);
    }
  }
  ScopedSysHandle(const ScopedSysHandle&) = delete;
  ScopedSysHandle& operator=(const ScopedSysHandle&) = delete;

  SysHandle get() const { return handle_; }

 private:
  PlatformApi& platform_;
  SysHandle handle_;
};

// A certificate store, closed with CertCloseStore and flags 0.
class ScopedCertStore {
 public:
  ScopedCertStore(CertApi& certs, CertStoreHandle store) : certs_(certs), store_(store) {}
  ~ScopedCertStore() {
    if (IsOpen()) certs_.CloseStore(store_, 0);
  }
  ScopedCertStore(const ScopedCertStore&) = delete;
  ScopedCertStore& operator=(const ScopedCertStore&) = delete;

  bool IsOpen() const { return store_ != CertStoreHandle{}; }
  CertStoreHandle get() const { return store_; }

 private:
  CertApi& certs_;
  CertStoreHandle store_;
};
