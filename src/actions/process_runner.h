#pragma once

#include <cstdint>
#include <string>

#include "system/system.h"

// The system directory, or with `windowsFolder` the Windows directory shared by all users, with
// a trailing backslash; empty when it cannot be read.
std::u16string SystemFolder(const System& sys, bool windowsFolder);

// Runs `commandLine` hidden, waits for it, returns its exit code or the start error. The program
// (its first token, a bare name) is taken from the system directory, else the Windows directory.
std::uint32_t RunProcess(const System& sys, const std::u16string& commandLine);

// The same with the program given by its full path `application`.
std::uint32_t RunProgram(const System& sys, const std::u16string& application,
                         const std::u16string& commandLine);
