#pragma once

#include <windows.h>

#include <msi.h>

#include "win32/handles.h"

// Installer handles, closed through the MsiCloseHandle that was looked up at run time: the
// owner is made from that function, e.g. `OwnedMsiHandle view(functions.closeHandle)`.
struct MsiHandleTraits {
  using Value = MSIHANDLE;
  using CloseFunction = decltype(&::MsiCloseHandle);

  MsiHandleTraits(CloseFunction function) : close(function) {}  // NOLINT: made from the function
  static Value Empty() { return 0; }
  static bool IsValid(Value value) { return value != 0; }
  void Close(Value value) const { close(value); }

  CloseFunction close;
};
using OwnedMsiHandle = Owned<MsiHandleTraits>;
