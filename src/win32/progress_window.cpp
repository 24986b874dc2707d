#include "win32/ui_windows.h"

namespace {
bool progressInstallCsp = false;
}

void SetProgressInstallCsp(bool installCsp) { progressInstallCsp = installCsp; }

// The window itself is not built yet: the thread ends at once.
unsigned __stdcall ProgressThread(void*) { return 0; }
