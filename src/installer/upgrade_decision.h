#pragma once

#include <cstdint>
#include <string>

#include "common/product_catalogue.h"
#include "common/win_errors.h"
#include "system/system.h"
#include "ui/prompts.h"

// Plain UTF-16 text order of two version texts: -1, 0 or 1.
int CompareVersionText(const std::u16string& a, const std::u16string& b);

// Compares the installed version of `product` with the package of its version pattern. 0 on
// success, with `versionOrder` set and, for a product with a minimum in-place version,
// `*minimumOrder`, and the package's version in `*offeredVersion` where asked; else the failing
// step's code.
std::uint32_t DecideUpgrade(const System& sys, const Prompts& prompts, const Product& product,
                            int& versionOrder, int* minimumOrder,
                            std::u16string* offeredVersion = nullptr);
