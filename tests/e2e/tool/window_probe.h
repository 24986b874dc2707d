#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Read-only views of another process's windows. Every cross-process message is sent with a
// time limit, so a hung target never hangs the caller.

struct ControlInfo {
  HWND window = nullptr;
  int id = 0;
  std::wstring className;
  std::wstring text;
  bool visible = false;
  bool enabled = false;
  int checked = -1;  // BM_GETCHECK for buttons, -1 for other classes
};

struct MessageBoxView {
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttons;  // visible push buttons by id, in window order
  std::wstring icon;         // "none", "error", "information", "warning", "question", "unknown"
};

// Visible or not, every top-level window owned by the process.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);

std::wstring ClassNameOf(HWND window);
std::wstring TextOf(HWND window);

// Direct children of `parent` (controls of a dialog), in Z order.
std::vector<ControlInfo> ReadControls(HWND parent);

// A dialog whose controls are exactly those of a message box: the text static (id 0xFFFF),
// an icon static, and push buttons with the standard answer ids.
bool LooksLikeMessageBox(const std::vector<ControlInfo>& controls);

MessageBoxView ReadMessageBox(HWND box, const std::vector<ControlInfo>& controls);

// True when any descendant of `window` has the given class.
bool HasDescendantOfClass(HWND window, const wchar_t* className);

// Sends a message with a time limit; returns false when it timed out or failed.
bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result);

// "ok", "cancel", "yes", "no", ... for the standard answer ids; the number otherwise.
std::wstring ButtonName(int id);
// The standard answer id for a name, or 0.
int ButtonId(const std::wstring& name);
