#include "log/utf8_text.h"

char32_t NextCodePoint(const char16_t* text, std::size_t size, std::size_t& at) {
  const char32_t unit = text[at++];
  if (unit < 0xD800 || unit >= 0xE000) return unit;
  if (unit < 0xDC00 && at < size && text[at] >= 0xDC00 && text[at] < 0xE000) {
    return 0x10000 + ((unit - 0xD800) << 10) + (text[at++] - 0xDC00);
  }
  return 0xFFFD;
}

char* PutUtf8(char* out, char32_t c) {
  if (c < 0x80) {
    *out++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | (c >> 6));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (c >> 12));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (c >> 18));
    *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}
