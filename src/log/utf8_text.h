#pragma once

#include <cstddef>
#include <string>

// The code point that starts at text[at]: a surrogate pair joined, a lone surrogate as U+FFFD.
// `at` moves past it.
char32_t NextCodePoint(const char16_t* text, std::size_t size, std::size_t& at);

// `codePoint` in UTF-8 at `out` (four bytes at most); returns the end.
char* PutUtf8(char* out, char32_t codePoint);

// `text` in UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8Text(const std::u16string& text);
