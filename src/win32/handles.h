#pragma once

#include <windows.h>

#include <wincrypt.h>

#include <cstdint>

#include "system/handles.h"

// The Windows handle a core handle of any kind stands for, and the core handle of a kind for a
// Windows handle.
template <typename SysKind>
HANDLE HandleOf(SysKind handle) {
  return reinterpret_cast<HANDLE>(RawHandle(handle));
}
template <typename SysKind>
SysKind SysHandleOf(void* handle) {
  return static_cast<SysKind>(reinterpret_cast<std::uintptr_t>(handle));
}

// The values that stand for no handle, as integers: a handle is no template argument.
constexpr std::intptr_t kNullHandleValue = 0;
constexpr std::intptr_t kInvalidHandleValue = -1;  // INVALID_HANDLE_VALUE

// The owner of a Windows handle that the Windows layer (or a Windows-side test tool) holds:
// closes it once, when it goes out of scope or is reset; ownership moves, never copies.
// `Closer` closes a handle; one that calls a function known only at run time (looked up in a
// DLL) carries it, and the owner is made from it. A new owner holds `kEmpty`; neither it nor
// `kAlsoNone` is ever closed.
template <typename Value, typename Closer, std::intptr_t kEmpty = kNullHandleValue,
          std::intptr_t kAlsoNone = kEmpty>
class OwnedBy : private Closer {
 public:
  OwnedBy() = default;
  explicit OwnedBy(Value value) : value_(value) {}
  explicit OwnedBy(const Closer& closer, Value value = Empty()) : Closer(closer), value_(value) {}
  ~OwnedBy() { Reset(); }
  OwnedBy(const OwnedBy&) = delete;
  OwnedBy& operator=(const OwnedBy&) = delete;
  OwnedBy(OwnedBy&& other) noexcept : Closer(other), value_(other.Release()) {}
  OwnedBy& operator=(OwnedBy&& other) noexcept {
    if (this != &other) {
      Reset(other.Release());
      static_cast<Closer&>(*this) = other;
    }
    return *this;
  }

  Value Get() const { return value_; }
  bool Valid() const { return IsValid(value_); }
  explicit operator bool() const { return Valid(); }

  // Gives the handle up without closing it.
  Value Release() {
    Value value = value_;
    value_ = Empty();
    return value;
  }
  // Closes the handle held (if any) and takes `value`.
  void Reset(Value value = Empty()) {
    if (IsValid(value_)) Closer::operator()(value_);
    value_ = value;
  }
  // For functions that return a handle through a pointer: closes the old one first.
  Value* Receive() {
    Reset();
    return &value_;
  }

 private:
  // Value(number) makes the handle of a number, a pointer or an integer alike, and leaves
  // IsValid a leaf that -Os inlines (behind a helper it is called, 48 bytes more code).
  static Value Empty() { return Value(kEmpty); }
  static bool IsValid(Value value) { return value != Value(kEmpty) && value != Value(kAlsoNone); }

  Value value_ = Empty();
};

// Closes through `Close`, a function known when compiling: whatever it returns is dropped.
template <auto Close>
struct CloseWith {
  template <typename Value>
  void operator()(Value value) const {
    Close(value);
  }
};

// Closes through a function looked up at run time.
template <typename Function>
struct CloseThrough {
  CloseThrough(Function close) : function(close) {}  // NOLINT: made from the function
  template <typename Value>
  void operator()(Value value) const {
    function(value);
  }
  Function function;
};

// The owner of a kind that `Close` closes, e.g. `Owned<HKEY, RegCloseKey>`.
template <typename Value, auto Close, std::intptr_t kEmpty = kNullHandleValue,
          std::intptr_t kAlsoNone = kEmpty>
using Owned = OwnedBy<Value, CloseWith<Close>, kEmpty, kAlsoNone>;

// Closes that take more than the handle.
inline void ReleaseProvider(HCRYPTPROV provider) {
  CryptReleaseContext(provider, 0);
}
inline void CloseCertStore(HCERTSTORE store) {
  CertCloseStore(store, 0);
}

// Process, thread, token and event handles. The pseudo handle of GetCurrentProcess has the
// same value as INVALID_HANDLE_VALUE and is never closed.
using KernelHandle = Owned<HANDLE, CloseHandle, kNullHandleValue, kInvalidHandleValue>;
// FindFirstFileW searches.
using FindHandle = Owned<HANDLE, FindClose, kInvalidHandleValue, kNullHandleValue>;
// A DLL loaded with LoadLibraryExW.
using OwnedModule = Owned<HMODULE, FreeLibrary>;
using OwnedIcon = Owned<HICON, DestroyIcon>;
// Memory that a Windows function allocated with LocalAlloc (CommandLineToArgvW's array).
using LocalMemory = Owned<HLOCAL, LocalFree>;
// A cryptographic provider of CryptAcquireContextW.
using CryptProvider = Owned<HCRYPTPROV, ReleaseProvider>;
// A key opened or created below a predefined key (never a predefined key itself).
using RegistryKey = Owned<HKEY, RegCloseKey>;
// A certificate store that a Windows-side test tool opened itself; the launcher's go through
// its CertApi.
using OwnedCertStore = Owned<HCERTSTORE, CloseCertStore>;
