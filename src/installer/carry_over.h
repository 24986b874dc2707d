#pragma once

#include <cstdint>
#include <string>

#include "system/system.h"

// The level fragment of an installed CSP package whose release flags name no protection level.
inline constexpr char16_t kNoLevelFragment[] = u"-*";

// Appends the installed product's level (CSP codes) and language fragments to `pattern`.
std::uint32_t BuildCarryOverArgs(const System& sys, std::u16string productCode, bool silent,
                                 std::u16string& pattern);
