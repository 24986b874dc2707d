#pragma once

#include <cstdint>
#include <string>

// `value` as unsigned decimal digits, as failure texts print their codes.
std::u16string DecimalText(std::uint32_t value);

// `value` in decimal, with `pad` in front up to `width` places, written at `out`; returns the
// end. Allocates nothing, for texts built where the heap may have failed, and also runs at
// compile time.
template <typename Char>
constexpr Char* PutDecimal(Char* out, std::uint32_t value, int width, Char pad) {
  Char digits[10] = {};
  int count = 0;
  do {
    digits[count++] = static_cast<Char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int i = count; i < width; ++i) *out++ = pad;
  while (count > 0) *out++ = digits[--count];
  return out;
}

// The upper-case hexadecimal digit of the low four bits of `value`.
inline char16_t HexDigit(std::uint32_t value) {
  return u"0123456789ABCDEF"[value & 0xF];
}

// The lower-case one, as JSON escapes are written.
inline char16_t LowerHexDigit(std::uint32_t value) {
  // Setting bit 0x20 turns 'A'-'F' into 'a'-'f' and leaves '0'-'9' as they are.
  return static_cast<char16_t>(HexDigit(value) | 0x20);
}
