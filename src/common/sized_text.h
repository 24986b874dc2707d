#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/win_errors.h"
#include "system/sys_result.h"

// Reads a text from a kernel32 function with the usual size convention: `read(buffer, length)`
// answers (as a SysResult) the length written without the zero, the size needed with the zero
// when `length` is too small, or 0 and the error on failure. Starts with `firstLength` units and
// retries with the size the function reports, so a text longer than the first buffer is read in
// full. Returns 0 and sets `text`, or the error code; a failure never comes back as 0.
template <typename Read>
std::uint32_t ReadSizedText(std::uint32_t firstLength, Read read, std::u16string& text) {
  constexpr int kAttempts = 4;  // the text may grow between two calls; give up after a few
  std::vector<char16_t> buffer(firstLength);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const auto length = static_cast<std::uint32_t>(buffer.size());
    const SysResult<std::uint32_t> answer = read(buffer.data(), length);
    const std::uint32_t result = answer.value;
    if (result == 0) return answer.error != 0 ? answer.error : kErrorGenFailure;
    if (result < length) {
      text.assign(buffer.data(), result);
      return 0;
    }
    buffer.assign(result, u'\0');
  }
  return kErrorInsufficientBuffer;
}
