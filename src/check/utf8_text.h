#pragma once

#include <string>

// `text` in UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8Text(const std::u16string& text);
