#pragma once

#include <cstdint>
#include <string>

#include "system/system.h"

// Runs `commandLine` hidden, waits for it, returns its exit code or the start error.
std::uint32_t RunProcess(const System& sys, const std::u16string& commandLine);
