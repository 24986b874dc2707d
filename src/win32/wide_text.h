#pragma once

#include <string>

// char16_t and wchar_t are both UTF-16 code units on Windows: the core's texts go to the
// W functions as they are.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be UTF-16");

inline const wchar_t* Wide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* Wide(char16_t* text) {
  return reinterpret_cast<wchar_t*>(text);
}
inline const wchar_t* Wide(const std::u16string& text) {
  return Wide(text.c_str());
}

inline const char16_t* Utf16(const wchar_t* text) {
  return reinterpret_cast<const char16_t*>(text);
}
inline std::u16string Utf16String(const wchar_t* text) {
  return text ? std::u16string(Utf16(text)) : std::u16string();
}
