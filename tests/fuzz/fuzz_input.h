#pragma once

// Shared pieces of the fuzz targets: the failure trap, and the decoding of the raw input into
// lines of UTF-16 text, so that seed files stay readable while every code unit stays reachable.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Stops the run at the first broken invariant; libFuzzer keeps the input as a crash.
#define FUZZ_CHECK(condition)                                                                  \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
      __builtin_trap();                                                                        \
    }                                                                                          \
  } while (false)

namespace fuzz {

// Lenient UTF-8: well-formed sequences of up to three bytes give any 16-bit code unit (lone
// surrogates included), four-byte sequences give a surrogate pair, and every byte that starts
// no sequence stands for the code unit of the same value.
inline std::u16string DecodeText(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  std::size_t i = 0;
  const auto continuation = [&](std::size_t at) { return at < size && (data[at] & 0xC0) == 0x80; };
  while (i < size) {
    const std::uint8_t lead = data[i];
    if (lead >= 0xC0 && lead < 0xE0 && continuation(i + 1)) {
      text.push_back(static_cast<char16_t>(((lead & 0x1F) << 6) | (data[i + 1] & 0x3F)));
      i += 2;
    } else if (lead >= 0xE0 && lead < 0xF0 && continuation(i + 1) && continuation(i + 2)) {
      text.push_back(static_cast<char16_t>(((lead & 0x0F) << 12) | ((data[i + 1] & 0x3F) << 6) |
                                           (data[i + 2] & 0x3F)));
      i += 3;
    } else if (lead >= 0xF0 && lead < 0xF8 && continuation(i + 1) && continuation(i + 2) &&
               continuation(i + 3)) {
      const std::uint32_t point = ((lead & 0x07u) << 18) | ((data[i + 1] & 0x3Fu) << 12) |
                                  ((data[i + 2] & 0x3Fu) << 6) | (data[i + 3] & 0x3Fu);
      if (point >= 0x10000 && point < 0x110000) {
        text.push_back(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)));
        text.push_back(static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF)));
      } else {
        text.push_back(static_cast<char16_t>(point & 0xFFFF));
      }
      i += 4;
    } else {
      text.push_back(lead);
      ++i;
    }
  }
  return text;
}

// The input cut at line feeds, each line decoded; missing lines read as empty.
class Lines {
 public:
  Lines(const std::uint8_t* data, std::size_t size) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
      if (i == size || data[i] == '\n') {
        lines_.push_back(DecodeText(data + start, i - start));
        start = i + 1;
      }
    }
  }
  std::size_t Count() const { return lines_.size(); }
  const std::u16string& operator[](std::size_t index) const {
    static const std::u16string kEmpty;
    return index < lines_.size() ? lines_[index] : kEmpty;
  }

 private:
  std::vector<std::u16string> lines_;
};

inline bool Contains(const std::u16string& text, char16_t unit) {
  return text.find(unit) != std::u16string::npos;
}

}  // namespace fuzz
