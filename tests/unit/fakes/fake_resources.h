#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "expected_strings.h"
#include "system/resource_api.h"

// String-table blocks in the resource compiler's format (16 entries a block, each a count word
// and that many UTF-16 code units, little-endian), built from an id -> text table. Starts
// with the program's expected string table, so message boxes carry their real texts.
class FakeResources : public ResourceApi {
 public:
  FakeResources() { SetStrings(ExpectedStringTable()); }

  void SetStrings(const std::map<std::uint16_t, std::u16string>& strings) {
    blocks_.clear();
    for (const auto& [id, text] : strings) {
      auto& block = blocks_[static_cast<std::uint16_t>(id / 16 + 1)];
      block.resize(16);
      block[id % 16] = text;
    }
    bytes_.clear();
    for (const auto& [name, entries] : blocks_) {
      auto& out = bytes_[name];
      for (const auto& text : entries) {
        Put(out, static_cast<std::uint16_t>(text.size()));
        for (char16_t c : text) Put(out, c);
      }
    }
  }
  // Replaces a block's bytes as they stand, for malformed-block tests.
  void SetRawBlock(std::uint16_t name, std::vector<std::uint8_t> bytes) {
    bytes_[name] = std::move(bytes);
  }
  // The bytes of a block as built, for cutting them short in tests.
  const std::vector<std::uint8_t>& Block(std::uint16_t name) { return bytes_.at(name); }

  std::vector<std::pair<std::uint16_t, std::uint16_t>> requests;  // type, name

  bool FindResourceBytes(std::uint16_t type, std::uint16_t name, const std::uint8_t** data,
                         std::uint32_t* size) override {
    requests.emplace_back(type, name);
    auto it = bytes_.find(name);
    if (type != kRtString || it == bytes_.end()) return false;
    // An empty block still hands out a valid address, as LockResource would.
    *data = it->second.empty() ? &empty_ : it->second.data();
    *size = static_cast<std::uint32_t>(it->second.size());
    return true;
  }

 private:
  static void Put(std::vector<std::uint8_t>& out, std::uint16_t unit) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  std::map<std::uint16_t, std::vector<std::u16string>> blocks_;
  std::map<std::uint16_t, std::vector<std::uint8_t>> bytes_;
  std::uint8_t empty_ = 0;
};
