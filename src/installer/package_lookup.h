#pragma once

#include <cstdint>
#include <string>

#include "system/system.h"

constexpr std::uint32_t kErrorNoMoreFiles = 232;  // no package file matched

// The current directory in full, however long: 0, or the error that GetCurrentDirectoryW
// gave.
std::uint32_t ReadCurrentDirectoryText(FileApi& files, std::u16string& directory);

// Full path of the first file matching `pattern` one level below the current directory, or,
// with `skip`, of the one that many matches further on in the same order.
std::uint32_t FindPackageFile(const System& sys, std::u16string pattern, std::u16string& path,
                              std::uint32_t skip = 0);

// Whether some file matches `pattern` one level down: FindPackageFile's lookup, logged alike, but
// kept from the trace, since no file is taken from it.
bool HasPackageFile(const System& sys, const std::u16string& pattern);
