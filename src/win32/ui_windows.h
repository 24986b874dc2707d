#pragma once

#include <windows.h>

struct SetupOptions;

// Dialog 141 on `instance`, modal, no owner. True after "Далее" (the choice appended to
// `options`), false after "Отмена", Esc or the close box.
bool ShowConfigDialog141(HINSTANCE instance, SetupOptions& options);

// The progress window's thread procedure; the parameter is the module instance. The title
// follows the flag given to SetProgressInstallCsp before the thread is created.
void SetProgressInstallCsp(bool installCsp);
unsigned __stdcall ProgressThread(void* instance);
