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

// The owner of a Windows handle that the Windows layer (or a Windows-side test tool) holds:
// closes it once, when it goes out of scope or is reset; ownership moves, never copies.
// `Traits` tells the kind: its Value type, the Empty value, IsValid and Close. Traits that
// close through a function known only at run time (looked up in a DLL) carry it, and the
// owner is made from them.
template <typename Traits>
class Owned : private Traits {
 public:
  using Value = typename Traits::Value;

  Owned() = default;
  explicit Owned(Value value) : value_(value) {}
  explicit Owned(const Traits& traits, Value value = Traits::Empty())
      : Traits(traits), value_(value) {}
  ~Owned() { Reset(); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : Traits(other), value_(other.Release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      Reset(other.Release());
      static_cast<Traits&>(*this) = other;
    }
    return *this;
  }

  Value Get() const { return value_; }
  bool Valid() const { return Traits::IsValid(value_); }
  explicit operator bool() const { return Valid(); }

  // Gives the handle up without closing it.
  Value Release() {
    Value value = value_;
    value_ = Traits::Empty();
    return value;
  }
  // Closes the handle held (if any) and takes `value`.
  void Reset(Value value = Traits::Empty()) {
    if (Traits::IsValid(value_)) this->Close(value_);
    value_ = value;
  }
  // For functions that return a handle through a pointer: closes the old one first.
  Value* Receive() {
    Reset();
    return &value_;
  }

 private:
  Value value_ = Traits::Empty();
};

// Process, thread, token and event handles. The pseudo handle of GetCurrentProcess has the
// same value as INVALID_HANDLE_VALUE and is never closed.
struct KernelHandleTraits {
  using Value = HANDLE;
  static Value Empty() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr && value != INVALID_HANDLE_VALUE; }
  static void Close(Value value) { CloseHandle(value); }
};

// FindFirstFileW searches.
struct FindHandleTraits {
  using Value = HANDLE;
  static Value Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Value value) { return value != INVALID_HANDLE_VALUE && value != nullptr; }
  static void Close(Value value) { FindClose(value); }
};

// A DLL loaded with LoadLibraryExW.
struct ModuleTraits {
  using Value = HMODULE;
  static Value Empty() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) { FreeLibrary(value); }
};

struct IconTraits {
  using Value = HICON;
  static Value Empty() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) { DestroyIcon(value); }
};

// Memory that a Windows function allocated with LocalAlloc (CommandLineToArgvW's array).
struct LocalMemoryTraits {
  using Value = HLOCAL;
  static Value Empty() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) { LocalFree(value); }
};

// A cryptographic provider of CryptAcquireContextW.
struct CryptProviderTraits {
  using Value = HCRYPTPROV;
  static Value Empty() { return 0; }
  static bool IsValid(Value value) { return value != 0; }
  static void Close(Value value) { CryptReleaseContext(value, 0); }
};

// A key opened or created below a predefined key (never a predefined key itself).
struct RegistryKeyTraits {
  using Value = HKEY;
  static Value Empty() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) { RegCloseKey(value); }
};

using KernelHandle = Owned<KernelHandleTraits>;
using FindHandle = Owned<FindHandleTraits>;
using OwnedModule = Owned<ModuleTraits>;
using OwnedIcon = Owned<IconTraits>;
using LocalMemory = Owned<LocalMemoryTraits>;
using CryptProvider = Owned<CryptProviderTraits>;
using RegistryKey = Owned<RegistryKeyTraits>;
