// The ASCII case comparisons of common/ascii_text.h.
#include "common/ascii_text.h"

#include <cstddef>

namespace {

// Whether `text` from `at` on holds the units of `part`, in any ASCII letter case; `text` is
// long enough.
bool MatchesNoCase(const std::u16string& text, std::size_t at, const std::u16string& part) {
  for (std::size_t i = 0; i < part.size(); ++i) {
    if (LowerAscii(text[at + i]) != LowerAscii(part[i])) return false;
  }
  return true;
}

}  // namespace

std::u16string LowerAsciiText(const std::u16string& text) {
  std::u16string lower;
  for (const char16_t c : text) lower += LowerAscii(c);
  return lower;
}

bool StartsWithNoCase(const std::u16string& text, const std::u16string& prefix) {
  return text.size() >= prefix.size() && MatchesNoCase(text, 0, prefix);
}

bool EndsWithNoCase(const std::u16string& text, const std::u16string& suffix) {
  return text.size() >= suffix.size() && MatchesNoCase(text, text.size() - suffix.size(), suffix);
}

void AppendAscii(std::u16string& text, const char* ascii) {
  for (; *ascii != '\0'; ++ascii) text.push_back(static_cast<char16_t>(*ascii));
}
