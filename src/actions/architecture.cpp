#include "actions/architecture.h"

#include "common/number_text.h"

// IsWow64Process is looked up in kernel32 once; when kernel32 cannot be found the lookup is
// left for the next call. A missing function or module counts as 32-bit Windows.
bool IsWow64(const System& sys, Wow64Cache& cache, bool requireSuccess) {
  if (cache.state == Wow64Cache::State::kNotLookedUp) {
    const ModuleHandle kernel32 = sys.platform.FindModule(u"kernel32");
    if (kernel32 == 0) return false;
    cache.function = sys.platform.FindProc(kernel32, "IsWow64Process");
    cache.state = cache.function != 0 ? Wow64Cache::State::kPresent : Wow64Cache::State::kMissing;
    // For the log only: on ARM64 Windows IsWow64Process may answer either way, and the x64
    // packages, if taken, run emulated. The choice stays IsWow64Process's.
    std::uint16_t native = 0;
    if (sys.platform.ReadNativeMachine(&native)) {
      const char16_t* name = native == 0x014C   ? u"x86"
                             : native == 0x8664 ? u"x64"
                             : native == 0xAA64 ? u"ARM64, not tested"
                                                : u"other";
      sys.log.Line({"WOW64: native machine ", name, " (IsWow64Process2 answered ",
                    DecimalText(native), ")"});
    }
  }
  if (cache.state != Wow64Cache::State::kPresent) {
    sys.log.Line({"WOW64: IsWow64Process missing, 32-bit Windows"});
    return false;
  }
  int isWow64 = 0;
  const bool called =
      sys.platform.CallIsWow64Process(cache.function, sys.platform.CurrentProcess(), &isWow64);
  if (called) {
    sys.log.Line(
        {"WOW64: IsWow64Process answered ", DecimalText(static_cast<std::uint32_t>(isWow64))});
  } else {
    sys.log.Line({"WOW64: IsWow64Process failed"});
  }
  if (requireSuccess && !called) return false;
  return isWow64 != 0;
}

std::u16string ArchitectureSuffix(const System& sys, Wow64Cache& cache) {
  return IsWow64(sys, cache, false) ? u"*x64*" : u"*win32*";
}
