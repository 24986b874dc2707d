#pragma once

#include <string>

#include "system/sys_result.h"

// The full path of the running executable (GetModuleFileNameW), however long: the launcher's
// start-up check for a DLL redirection and the resume's copy of the launcher both read it here.
// False with the call's error when it cannot be read; then `path` is empty.
SysResult<bool> ReadProgramPath(std::u16string* path);
