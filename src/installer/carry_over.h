#pragma once

#include <cstdint>
#include <string>

#include "system/system.h"

// Appends the installed product's level (CSP codes) and language fragments to `pattern`.
std::uint32_t BuildCarryOverArgs(const System& sys, std::u16string productCode, bool silent,
                                 std::u16string& pattern);
