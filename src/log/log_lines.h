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

// A Windows error code as it is looked up: in decimal, or as 0x and eight hexadecimal digits
// when its top bit is set (an HRESULT such as crypt32's 0x80092009).
std::u16string ErrorCodeText(std::uint32_t code);

// Writes what the installer answered about `productCode`'s state.
void LogProductState(RunLog& log, LogPart product, const char16_t* productCode, int state);

// Writes the line of the process's exit code and returns `code`.
std::uint32_t LogExitCode(RunLog& log, std::uint32_t code);
