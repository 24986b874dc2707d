#pragma once

#include <cstdint>

// Opaque system handles as the core sees them. The Windows layer maps them to the real
// HANDLE, MSIHANDLE, HCERTSTORE and friends; the fake system hands out its own numbers.
using SysHandle = std::uintptr_t;  // process, thread, token, file search
using MsiHandle = std::uint32_t;   // 0 means no handle
using ProcAddress = std::uintptr_t;
using ModuleHandle = std::uintptr_t;

constexpr SysHandle kInvalidSysHandle = static_cast<SysHandle>(-1);  // INVALID_HANDLE_VALUE
