#include "common/product_catalogue.h"

const Product* FindProduct(const std::u16string& code) {
  for (const Product& product : kProducts) {
    if (code == product.code) return &product;
  }
  return nullptr;
}
