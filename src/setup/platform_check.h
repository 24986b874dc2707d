#pragma once

#include <cstdint>

#include "system/system.h"
#include "ui/prompts.h"

// 0 when this Windows version and service pack may be installed on, else the exit code
// (common/exit_codes.h).
std::uint32_t CheckPlatform(const System& sys, const Prompts& prompts);
