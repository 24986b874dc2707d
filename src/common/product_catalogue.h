#pragma once

#include <string>

// What replacing an installed product keeps of its configuration in the new package's pattern.
enum class CarryOver {
  kNothing,
  kLanguage,          // the language fragment ("rus*" or "eng*")
  kLevelAndLanguage,  // the protection level fragment, then the language fragment
};

// A product the launcher handles.
struct Product {
  const char16_t* code;
  const char16_t* name;            // as the run log names it
  const char16_t* packagePrefix;   // how the names of its package files begin
  const char16_t* versionPattern;  // the package whose version is compared; empty: none
  CarryOver carryOver;
  const char16_t* minimumInPlace;  // the oldest installed version upgraded in place; empty: any
};

// The rows' texts, defined once in product_catalogue.cpp: literals in the rows would be copied
// into every file that names a row.
namespace catalogue_text {
extern const char16_t kPluginCode[], kPluginName[], kPluginPrefix[], kPluginPattern[];
extern const char16_t kCspCode[], kCspName[], kCspPrefix[], kCspPattern[], kCspMinimum[];
extern const char16_t kCspSecondCode[], kCspSecondName[];
extern const char16_t kZazCspCode[], kZazCspName[], kZazCspPrefix[], kZazCspPattern[];
extern const char16_t kNone[];
}  // namespace catalogue_text

inline constexpr Product kProducts[] = {
    {catalogue_text::kPluginCode, catalogue_text::kPluginName, catalogue_text::kPluginPrefix,
     catalogue_text::kPluginPattern, CarryOver::kNothing, catalogue_text::kNone},
    {catalogue_text::kCspCode, catalogue_text::kCspName, catalogue_text::kCspPrefix,
     catalogue_text::kCspPattern, CarryOver::kLevelAndLanguage, catalogue_text::kCspMinimum},
    // The CSP installed under a second code: a fresh installation takes its configuration over.
    {catalogue_text::kCspSecondCode, catalogue_text::kCspSecondName, catalogue_text::kCspPrefix,
     catalogue_text::kNone, CarryOver::kLevelAndLanguage, catalogue_text::kNone},
    {catalogue_text::kZazCspCode, catalogue_text::kZazCspName, catalogue_text::kZazCspPrefix,
     catalogue_text::kZazCspPattern, CarryOver::kLanguage, catalogue_text::kNone},
};
inline constexpr const Product& kPlugin = kProducts[0];
inline constexpr const Product& kCsp = kProducts[1];
inline constexpr const Product& kCspSecond = kProducts[2];
inline constexpr const Product& kZazCsp = kProducts[3];

inline constexpr const char16_t* kPluginProductCode = kPlugin.code;
inline constexpr const char16_t* kCspProductCode = kCsp.code;
inline constexpr const char16_t* kCspSecondProductCode = kCspSecond.code;
inline constexpr const char16_t* kZazCspProductCode = kZazCsp.code;

// The row of `code`; nullptr for a product the launcher does not handle.
const Product* FindProduct(const std::u16string& code);
