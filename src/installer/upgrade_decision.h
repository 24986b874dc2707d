#pragma once

#include <cstdint>
#include <string>

#include "common/win_errors.h"
#include "system/system.h"

// The pattern of the package whose version is compared; empty for an unknown product.
std::u16string VersionCheckPattern(const std::u16string& productCode);

// Plain UTF-16 text order of two version texts: -1, 0 or 1.
int CompareVersionText(const std::u16string& a, const std::u16string& b);

// Compares the installed version of `productCode` with its new package. 0 on success, with
// `versionOrder` set and, for the CSP code, `*minimumOrder`; else the failing step's code.
std::uint32_t DecideUpgrade(const System& sys, std::u16string productCode, int& versionOrder,
                            int* minimumOrder);
