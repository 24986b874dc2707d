#pragma once

#include <cstdint>
#include <string>

#include "system/system.h"
#include "ui/prompts.h"

// Finds the package by `pattern`, records its name in the product's source list and runs
// "msiexec /qn /i" on it with `args`. Returns the lookup's failure or msiexec's result.
std::uint32_t InstallPackage(const System& sys, std::u16string productCode, std::u16string pattern,
                             std::u16string args, const Prompts& prompts);
