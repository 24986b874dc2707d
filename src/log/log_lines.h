#pragma once

#include <cstdint>
#include <string>

#include "system/run_log.h"

// `text` between double quotes, so that blanks at its ends and an empty text show.
std::u16string Quoted(const std::u16string& text);

// "yes" or "no".
const char16_t* YesNo(bool value);

// `value` in decimal, with a minus sign when negative.
std::u16string SignedText(int value);

// Writes what the installer answered about `productCode`'s state.
void LogProductState(RunLog& log, LogPart product, const char16_t* productCode, int state);

// Writes the line of the process's exit code and returns `code`.
std::uint32_t LogExitCode(RunLog& log, std::uint32_t code);
