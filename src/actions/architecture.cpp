#include "actions/architecture.h"

#include "common/number_text.h"
#include "installer/package_lookup.h"

namespace {

// IsWow64Process is looked up in kernel32 once, and IsWow64Process2's native machine read with
// it; when kernel32 cannot be found the lookup is left for the next call.
bool LookUp(const System& sys, Wow64Cache& cache) {
  if (cache.state != Wow64Cache::State::kNotLookedUp) return true;
  const ModuleHandle kernel32 = sys.platform.FindModule(u"kernel32");
  if (kernel32 == 0) return false;
  cache.function = sys.platform.FindProc(kernel32, "IsWow64Process");
  cache.state = cache.function != 0 ? Wow64Cache::State::kPresent : Wow64Cache::State::kMissing;
  if (sys.platform.ReadNativeMachine(&cache.native)) {
    sys.log.Line({"WOW64: native machine ", MachineName(cache.native),
                  " (IsWow64Process2 answered ", DecimalText(cache.native), ")"});
  }
  return true;
}

}  // namespace

bool IsWow64(const System& sys, Wow64Cache& cache, bool requireSuccess) {
  if (!LookUp(sys, cache)) return false;
  if (cache.native == kMachineArm64) return true;
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

const WindowsKind& RunningWindows(const System& sys, Wow64Cache& cache) {
  const bool wow64 = IsWow64(sys, cache, false);
  const std::uint16_t machine = cache.native != 0 ? cache.native
                                : wow64           ? kMachineAmd64
                                                  : kMachineX86;
  if (KindDependsOnX64(machine) && cache.runsX64 < 0) {
    std::uint32_t attributes = 0;
    const bool known = sys.platform.ReadMachineAttributes(kMachineAmd64, &attributes);
    cache.runsX64 = known && (attributes & kMachineUserEnabled) != 0 ? 1 : 0;
    const WindowsKind& kind = WindowsKindOf(machine, cache.runsX64 != 0);
    sys.log.Line({"WOW64: ", kind.name, known ? u"" : u" (GetMachineTypeAttributes unanswered)"});
  }
  return WindowsKindOf(machine, cache.runsX64 > 0);
}

std::u16string PackagePattern(const System& sys, const WindowsKind& kind, const Product& product,
                              const std::u16string& rest, PackagePlatformId* chosen) {
  const std::u16string prefix = product.packagePrefix;
  int taken = 0;
  for (; taken + 1 < kind.takesCount; ++taken) {
    if (HasPackageFile(sys, prefix + PlatformRow(kind.takes[taken]).tag + rest)) break;
  }
  const PackagePlatformId platform = kind.takes[taken];
  if (taken > 0) {
    sys.log.Line({product.name, ": no ", PlatformRow(kind.takes[0]).name, " package, the ",
                  PlatformRow(platform).name, " package is taken", kind.fallbackNote});
  }
  if (chosen != nullptr) *chosen = platform;
  return prefix + PlatformRow(platform).tag + rest;
}
