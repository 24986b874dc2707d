#pragma once

#include <windows.h>

#include <msi.h>

#include "win32/handles.h"

// Installer handles, closed through the MsiCloseHandle that was looked up at run time: the
// owner is made from that function, e.g. `OwnedMsiHandle view(functions.closeHandle)`.
using OwnedMsiHandle = OwnedBy<MSIHANDLE, CloseThrough<decltype(&::MsiCloseHandle)>>;
