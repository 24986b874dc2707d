#pragma once

#include <windows.h>

#include "system/ui_api.h"

class ResourceApi;

// Dialog 141 on `instance`, modal, no owner; the options button's captions come from
// `resources`. Returns the choice it ended with; a dialog that cannot be shown at all ends as
// "Далее" with nothing checked.
ConfigDialogChoice ShowConfigDialog141(HINSTANCE instance, ResourceApi& resources);

// What the progress thread reads when it starts. The owner keeps it alive while the thread runs.
struct ProgressWindowSetup {
  HINSTANCE instance = nullptr;
  ResourceApi* resources = nullptr;
  std::uint16_t titleId = 0;  // the string of the window's title
  // An event that the thread sets once the frame is shown and painted; when a window cannot be
  // made, the thread ends without setting it. May be null.
  HANDLE shown = nullptr;
};

// The progress window's thread procedure; `setup` points to a ProgressWindowSetup. Returns 0
// when its message loop ends or when a window cannot be created.
unsigned __stdcall ProgressThread(void* setup);

// Ends a resumed progress thread in an orderly way: its message loop is asked to quit, the
// window is destroyed as the thread leaves, and the call returns once the thread has ended.
// A thread that has not ended within `timeoutMs` is terminated with exit code 1.
void StopProgressThread(HANDLE thread, DWORD threadId, DWORD timeoutMs);
