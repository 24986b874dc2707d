#pragma once

#include <string>

#include "actions/setup_state.h"
#include "system/system.h"

// True under WOW64. With `requireSuccess` a failed IsWow64Process call counts as not WOW64.
bool IsWow64(const System& sys, Wow64Cache& cache, bool requireSuccess);
// "*x64*" under WOW64, "*win32*" otherwise.
std::u16string ArchitectureSuffix(const System& sys, Wow64Cache& cache);
