#pragma once

#include <windows.h>

#include "win32/handles.h"

// The driver's handles, each owned by the Windows layer's owner template: closed exactly once.

// Files, snapshots, processes and threads, closed with CloseHandle.
using OwnedHandle = KernelHandle;

// A window station, closed with CloseWindowStation.
using OwnedStation = Owned<HWINSTA, CloseWindowStation>;

// A desktop, closed with CloseDesktop.
using OwnedDesktop = Owned<HDESK, CloseDesktop>;

// A device context from GetDC, released with ReleaseDC to the window it came from.
struct ReleaseWindowDc {
  void operator()(HDC dc) const { ReleaseDC(window, dc); }
  HWND window;
};
using WindowDc = OwnedBy<HDC, ReleaseWindowDc>;
inline WindowDc DcOf(HWND window) {
  return WindowDc(ReleaseWindowDc{window}, GetDC(window));
}

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
using MemoryDc = Owned<HDC, DeleteDC>;

// A GDI object (bitmap, brush), deleted with DeleteObject.
using GdiObject = Owned<HGDIOBJ, DeleteObject>;

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
