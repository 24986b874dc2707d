// The catalogue's texts, and the lookup of a row by its product code.

#include "common/product_catalogue.h"

namespace catalogue_text {
const char16_t kPluginCode[] = u"{B5290F4D-7E3A-46C1-8D95-0A6F2C8E13B7}";
const char16_t kPluginName[] = u"plug-in";
const char16_t kPluginPrefix[] = u"zirelcom";
const char16_t kPluginPattern[] = u"zirelcom*.msi";
const char16_t kCspCode[] = u"{6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841}";
const char16_t kCspName[] = u"CSP";
const char16_t kCspPrefix[] = u"csp";
const char16_t kCspPattern[] = u"csp*.msi";
const char16_t kCspMinimum[] = u"3.6.5365";
const char16_t kCspSecondCode[] = u"{9A04C6E3-58D1-4B7F-8E26-C13F0A9B5D72}";
const char16_t kCspSecondName[] = u"CSP (second code)";
const char16_t kZazCspCode[] = u"{3D7E90B5-A241-4C6E-9F08-57B2E1C4A396}";
const char16_t kZazCspName[] = u"ZAZ CSP";
const char16_t kZazCspPrefix[] = u"ucsp";
const char16_t kZazCspPattern[] = u"ucsp*.msi";
const char16_t kNone[] = u"";
}  // namespace catalogue_text

const Product* FindProduct(const std::u16string& code) {
  for (const Product& product : kProducts) {
    if (code == product.code) return &product;
  }
  return nullptr;
}
