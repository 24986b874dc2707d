#pragma once

#include "system/system.h"

// Asks Windows for a planned restart (application: installation); true when Windows accepted
// it or a shutdown is already under way or scheduled. The interactive user of a session, who
// can see the screen, restarts with a forced ExitWindowsEx as an interactive program does;
// anybody else (a deployment system's service, SYSTEM, a run nobody sees) with
// InitiateSystemShutdownEx, which restarts the computer whoever the caller is. Windows not
// ready is asked again a few times, 5 s apart.
bool RestartSystem(const System& sys);
