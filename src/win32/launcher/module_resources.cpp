#include "win32/launcher/module_resources.h"

bool ModuleResources::FindResourceBytes(std::uint16_t type, std::uint16_t name,
                                        const std::uint8_t** data, std::uint32_t* size) {
  // Language 0: the system picks the language; the launcher carries one copy of each block.
  HRSRC found = FindResourceExW(module_, MAKEINTRESOURCEW(type), MAKEINTRESOURCEW(name), 0);
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(module_, found);
  if (loaded == nullptr) return false;
  const void* bytes = LockResource(loaded);
  if (bytes == nullptr) return false;
  *data = static_cast<const std::uint8_t*>(bytes);
  *size = SizeofResource(module_, found);
  return true;
}
