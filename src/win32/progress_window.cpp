#include "win32/ui_windows.h"

// The window itself is not built yet: the thread ends at once.
unsigned __stdcall ProgressThread(void*) {
  return 0;
}

void StopProgressThread(HANDLE thread, DWORD, DWORD timeoutMs) {
  if (WaitForSingleObject(thread, timeoutMs) != WAIT_OBJECT_0) TerminateThread(thread, 1);
}
