#pragma once

#include "system/system.h"

// Asks Windows for a forced restart; true when the request was accepted.
bool RestartSystem(const System& sys);
