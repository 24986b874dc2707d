#pragma once

#include <windows.h>

#include "win32/handles.h"

// The driver's handles, each owned by the Windows layer's owner template: closed exactly once.

// Files, snapshots, processes and threads, closed with CloseHandle.
using OwnedHandle = KernelHandle;

// A window station, closed with CloseWindowStation.
struct StationTraits {
  using Value = HWINSTA;
  static Value Empty() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) { CloseWindowStation(value); }
};
using OwnedStation = Owned<StationTraits>;

// A desktop, closed with CloseDesktop.
struct DesktopTraits {
  using Value = HDESK;
  static Value Empty() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) { CloseDesktop(value); }
};
using OwnedDesktop = Owned<DesktopTraits>;

// A device context from GetDC, released with ReleaseDC to the window it came from.
struct WindowDcTraits {
  using Value = HDC;
  static Value Empty() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  void Close(Value value) const { ReleaseDC(window, value); }

  HWND window;
};
using WindowDc = Owned<WindowDcTraits>;
inline WindowDc DcOf(HWND window) {
  return WindowDc(WindowDcTraits{window}, GetDC(window));
}

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
struct MemoryDcTraits {
  using Value = HDC;
  static Value Empty() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) { DeleteDC(value); }
};
using MemoryDc = Owned<MemoryDcTraits>;

// A GDI object (bitmap, brush), deleted with DeleteObject.
struct GdiObjectTraits {
  using Value = HGDIOBJ;
  static Value Empty() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) { DeleteObject(value); }
};
using GdiObject = Owned<GdiObjectTraits>;

// Selects an object into a DC for the lifetime of the guard and restores the previous one.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectGuard() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};
