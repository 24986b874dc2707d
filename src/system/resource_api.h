#pragma once

#include <cstdint>

constexpr std::uint16_t kRtString = 6;  // RT_STRING

// The program's own resources.
class ResourceApi {
 public:
  virtual ~ResourceApi() = default;

  // FindResourceExW(module, type, name, language 0) + LoadResource + LockResource +
  // SizeofResource. False when any step fails; otherwise `data` and `size` (bytes) describe
  // the resource's read-only bytes for the life of the process.
  virtual bool FindResourceBytes(std::uint16_t type, std::uint16_t name, const std::uint8_t** data,
                                 std::uint32_t* size) = 0;
};
