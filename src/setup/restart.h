#pragma once

#include "system/system.h"

// Asks Windows for a restart; true when the request was accepted. Where somebody can see the
// screen, a forced ExitWindowsEx as an interactive program does; where nobody can (a
// deployment system's service or SYSTEM account), InitiateSystemShutdownEx, which restarts
// the computer even when the caller is not the interactive user.
bool RestartSystem(const System& sys);
