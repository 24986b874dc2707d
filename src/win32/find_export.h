#pragma once

#include <windows.h>

// Takes the export `name` of `module` as a typed function pointer; false when there is none.
template <typename Function>
bool FindExport(HMODULE module, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return *function != nullptr;
}
