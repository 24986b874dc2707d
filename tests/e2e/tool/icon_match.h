#pragma once

#include <windows.h>

#include <string>

// Names the standard icon shown by an icon static control of another process.
//
// The icon handle of another process cannot be compared with this process's own copy of the
// system icons (each process loads its own), so the control's pixels are read from the screen
// and compared with each standard icon drawn here on the same background.
// Returns "none" when the control holds no icon, "error", "information", "warning" or
// "question" on a match, "unknown" otherwise.
std::wstring IdentifyIcon(HWND iconControl);
