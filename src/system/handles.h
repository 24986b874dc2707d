#pragma once

#include <cstdint>

// Opaque system handles as the core sees them, one type per kind: a handle of one kind given
// where another kind is expected does not compile. The Windows layer maps them to the real
// HANDLE, HCERTSTORE and friends; the fake system hands out its own numbers.
enum class ProcessHandle : std::uintptr_t {};
enum class ThreadHandle : std::uintptr_t {};
enum class TokenHandle : std::uintptr_t {};
enum class SearchHandle : std::uintptr_t {};     // a FindFirstFileW search
enum class FileHandle : std::uintptr_t {};       // a file made with CreateFileW
enum class CertStoreHandle : std::uintptr_t {};  // HCERTSTORE, 0 means none
enum class MsiHandle : std::uint32_t {};         // MSIHANDLE, 0 means none
using ProcAddress = std::uintptr_t;
using ModuleHandle = std::uintptr_t;

// INVALID_HANDLE_VALUE of a kind: what FindFirstFileW and CreateFileW answer on failure, and
// the value of GetCurrentProcess's pseudo handle.
template <typename Handle>
constexpr Handle kInvalidHandle = static_cast<Handle>(~std::uintptr_t{0});

// The number a handle stands for.
template <typename Handle>
constexpr std::uintptr_t RawHandle(Handle handle) {
  return static_cast<std::uintptr_t>(handle);
}
