#pragma once

#include <cstdint>
#include <string>

#include "common/product_catalogue.h"
#include "system/system.h"
#include "ui/prompts.h"

// The level fragment of an installed CSP package whose release flags name no protection level.
inline constexpr char16_t kNoLevelFragment[] = u"-*";
// The language fragments: what the configuration dialog's language buttons append, and what an
// installed product's "ProductLanguage" carries over (English for 1033, Russian for any other).
inline constexpr const char16_t* kRussianFragment = u"rus*";
inline constexpr const char16_t* kEnglishFragment = u"eng*";

// Appends the fragments of the installed `product`'s configuration that its row carries over
// (the level, then the language) to `pattern`.
std::uint32_t BuildCarryOverArgs(const System& sys, const Product& product, const Prompts& prompts,
                                 std::u16string& pattern);
