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

inline constexpr Product kProducts[] = {
    {u"{B5290F4D-7E3A-46C1-8D95-0A6F2C8E13B7}", u"plug-in", u"zirelcom", u"zirelcom*.msi",
     CarryOver::kNothing, u""},
    {u"{6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841}", u"CSP", u"csp", u"csp*.msi",
     CarryOver::kLevelAndLanguage, u"3.6.5365"},
    // The CSP installed under a second code: a fresh installation takes its configuration over.
    {u"{9A04C6E3-58D1-4B7F-8E26-C13F0A9B5D72}", u"CSP (second code)", u"csp", u"",
     CarryOver::kLevelAndLanguage, u""},
    {u"{3D7E90B5-A241-4C6E-9F08-57B2E1C4A396}", u"ZAZ CSP", u"ucsp", u"ucsp*.msi",
     CarryOver::kLanguage, u""},
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
