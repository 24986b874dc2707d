// Apart from the code-point functions: a program that only writes the log needs no std::string,
// whose instantiations in libstdc++ would pull the exception runtime into the launcher.
#include "log/utf8_text.h"

std::string Utf8Text(const std::u16string& text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    char bytes[4];
    out.append(bytes, PutUtf8(bytes, NextCodePoint(text.data(), text.size(), at)));
  }
  return out;
}
