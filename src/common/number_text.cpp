#include "common/number_text.h"

std::u16string DecimalText(std::uint32_t value) {
  char16_t digits[10];
  return std::u16string(digits, PutDecimal(digits, value, 1, u'0'));
}
