// The parts of the C++ runtime and of the mingw start-up code that the launcher replaces to stay
// small and self-contained.
//
// The Windows build is compiled without exceptions. The library helpers that would throw
// (a string grown past its maximum, a failed allocation, an index out of range) end the
// process at once instead, as an uncaught exception would (see EndOnInternalFailure for how);
// the message that libstdc++ would print on the way is lost either way in a GUI program.
// Function-local statics keep thread-safe initialisation through the guard functions below.
// Together these keep the exception runtime and the name demangler out of the executable.
//
// This file is linked into the executables directly (not through the library), so that its
// definitions take the place of the runtime's.
#include <windows.h>

#include <bits/functexcept.h>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "win32/unattended_run.h"

namespace {

[[noreturn]] void Fail() {
  EndOnInternalFailure();
}

}  // namespace

namespace std {
void __throw_bad_exception() {
  Fail();
}
void __throw_bad_alloc() {
  Fail();
}
void __throw_bad_array_new_length() {
  Fail();
}
void __throw_bad_cast() {
  Fail();
}
void __throw_bad_typeid() {
  Fail();
}
void __throw_logic_error(const char*) {
  Fail();
}
void __throw_domain_error(const char*) {
  Fail();
}
void __throw_invalid_argument(const char*) {
  Fail();
}
void __throw_length_error(const char*) {
  Fail();
}
void __throw_out_of_range(const char*) {
  Fail();
}
void __throw_out_of_range_fmt(const char*, ...) {
  Fail();
}
void __throw_runtime_error(const char*) {
  Fail();
}
void __throw_range_error(const char*) {
  Fail();
}
void __throw_overflow_error(const char*) {
  Fail();
}
void __throw_underflow_error(const char*) {
  Fail();
}
// An empty std::function called.
void __throw_bad_function_call() {
  Fail();
}
}  // namespace std

namespace __gnu_cxx {
void __verbose_terminate_handler() {
  Fail();
}
}  // namespace __gnu_cxx

void* operator new(std::size_t size) {
  void* memory = std::malloc(size != 0 ? size : 1);
  if (memory == nullptr) Fail();
  return memory;
}
void* operator new[](std::size_t size) {
  return ::operator new(size);
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete[](void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}

// Two pieces of the mingw start-up code that would only bring their error paths along.
//
// _pei386_runtime_relocator patches "pseudo-relocations": places where code refers to a DLL's
// variable not declared dllimport, which the linker records when it imports the variable
// automatically. The programs are linked with --disable-auto-import, so there are none and the
// list the linker delimits with the two symbols below is empty; the runtime's own relocator would
// walk it and carries fprintf, VirtualProtect and the PE section lookup for failing. Should a
// list ever be there, the program ends at start rather than run unpatched.
extern "C" const char __RUNTIME_PSEUDO_RELOC_LIST__[];
extern "C" const char __RUNTIME_PSEUDO_RELOC_LIST_END__[];

extern "C" void _pei386_runtime_relocator() {
  if (reinterpret_cast<std::uintptr_t>(__RUNTIME_PSEUDO_RELOC_LIST__) !=
      reinterpret_cast<std::uintptr_t>(__RUNTIME_PSEUDO_RELOC_LIST_END__)) {
    Fail();
  }
}

// The start-up code makes _matherr the math error handler only when _MINGW_INSTALL_DEBUG_MATHERR
// is 1, and the runtime sets it to -1; the runtime's _matherr prints to stderr with fprintf.
// This one takes its place and is never called.
struct _exception;
extern "C" int _matherr(struct _exception*) {
  return 0;
}

// Guards of function-local statics (the Itanium C++ ABI's 64-bit guard object). The compiler
// skips the call once the first byte is non-zero; the second word is a lock held while one
// thread runs the initialiser, the others wait on it.
namespace {

volatile LONG* GuardWords(std::uint64_t* guard) {
  return reinterpret_cast<volatile LONG*>(guard);
}

}  // namespace

extern "C" int __cxa_guard_acquire(std::uint64_t* guard) {
  volatile LONG* words = GuardWords(guard);
  while (InterlockedCompareExchange(&words[1], 1, 0) != 0) Sleep(0);
  if (InterlockedCompareExchange(&words[0], 0, 0) != 0) {
    InterlockedExchange(&words[1], 0);
    return 0;  // another thread finished the initialisation meanwhile
  }
  return 1;  // the caller runs the initialiser, then releases (or aborts)
}

extern "C" void __cxa_guard_release(std::uint64_t* guard) {
  volatile LONG* words = GuardWords(guard);
  InterlockedExchange(&words[0], 1);
  InterlockedExchange(&words[1], 0);
}

extern "C" void __cxa_guard_abort(std::uint64_t* guard) {
  InterlockedExchange(&GuardWords(guard)[1], 0);
}
