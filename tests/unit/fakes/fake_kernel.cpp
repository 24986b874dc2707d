#include "fakes/fake_kernel.h"

#include "log/utf8_text.h"

std::string Utf8(const std::u16string& text) {
  return Utf8Text(text);
}
