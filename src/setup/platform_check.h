#pragma once

#include <cstdint>

#include "system/system.h"

// Exit code for a Windows older than Windows 2000 (major version below 5).
constexpr std::uint32_t kPlatformTooOld = 8;

// 0 when this Windows version and service pack may be installed on, else the exit code.
std::uint32_t CheckPlatform(const System& sys, bool silent);
