#pragma once

#include <windows.h>

#include "system/resource_api.h"

// ResourceApi over the resources of one module (the launcher's own).
class ModuleResources : public ResourceApi {
 public:
  explicit ModuleResources(HMODULE module) : module_(module) {}

  bool FindResourceBytes(std::uint16_t type, std::uint16_t name, const std::uint8_t** data,
                         std::uint32_t* size) override;

 private:
  HMODULE module_;
};
