#pragma once

#include <cstdint>

#include "system/handles.h"

constexpr std::uint32_t kOpenPackageIgnoreMachineState =
    1;  // MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE

// The msi.dll functions that read a package file: open it, read a property, close it. Texts are
// zero-terminated UTF-16; sizes count UTF-16 code units as msi.dll does.
class PackageApi {
 public:
  // MsiOpenPackageExW.
  virtual std::uint32_t OpenPackageEx(const char16_t* path, std::uint32_t options,
                                      MsiHandle* handle) = 0;
  // MsiGetPropertyW: `*size` in: room, out: length without the zero; `buffer` is never null.
  virtual std::uint32_t GetProperty(MsiHandle handle, const char16_t* name, char16_t* buffer,
                                    std::uint32_t* size) = 0;
  // MsiCloseHandle.
  virtual std::uint32_t CloseMsiHandle(MsiHandle handle) = 0;

 protected:
  // Never deleted through this interface: the program owns the object that implements it.
  ~PackageApi() = default;
};
