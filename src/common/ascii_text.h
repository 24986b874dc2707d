#pragma once

// Letter case as Windows compares file names and msiexec reads property names: only the ASCII
// letters have a second case; every other code unit, other scripts' letters too, only matches
// itself.

#include <string>

constexpr char16_t LowerAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

constexpr char16_t UpperAscii(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Appends the ASCII text `ascii` to `text`, each character as its code unit.
void AppendAscii(std::u16string& text, const char* ascii);

// `text` with A-Z written as a-z.
std::u16string LowerAsciiText(const std::u16string& text);

// Whether `text` begins with `prefix`, ASCII letters compared without regard to case.
bool StartsWithNoCase(const std::u16string& text, const std::u16string& prefix);

// Whether `text` ends with `suffix`, ASCII letters compared without regard to case.
bool EndsWithNoCase(const std::u16string& text, const std::u16string& suffix);
