// The kinds of Windows simulated, and the findings on the platforms some kinds try first.

#include "check/platform_packages.h"

#include "check/launcher_paths.h"
#include "check/package_platform.h"
#include "installer/package_lookup.h"

namespace {

bool TriesFirst(const WindowsKind& windows, PackagePlatformId platform) {
  return windows.takesCount > 1 && windows.takes[0] == platform;
}

// The platform `windows` takes without a look where the ones before are missing.
PackagePlatformId FallbackOf(const WindowsKind& windows) {
  return windows.takes[windows.takesCount - 1];
}

std::u16string NameOf(PackagePlatformId platform) {
  return PlatformRow(platform).name;
}

bool AnyHas(const RealSystem& real, const std::vector<const Product*>& products,
            PackagePlatformId platform) {
  for (const Product* product : products) {
    if (HasPackagesOf(real, *product, platform)) return true;
  }
  return false;
}

// "no arm64 packages: Windows 11 on Arm takes the x64 packages, Windows 10 on Arm the win32
// ones".
std::u16string TakenInstead(PackagePlatformId platform) {
  std::u16string text = u"no " + NameOf(platform) + u" packages";
  bool first = true;
  for (const WindowsKind& windows : kWindowsKinds) {
    if (!TriesFirst(windows, platform)) continue;
    const std::u16string taken = NameOf(FallbackOf(windows));
    text += first ? u": " + std::u16string(windows.name) + u" takes the " + taken + u" packages"
                  : u", " + std::u16string(windows.name) + u" the " + taken + u" ones";
    first = false;
  }
  return text;
}

// Whether the package `windows` falls back to is registered for its native programs, which
// cannot load it: one of a 64-bit platform of another machine shares their registry view.
bool FallbackUnloadable(const WindowsKind& windows) {
  const PackagePlatform platform = PlatformOfName(NameOf(FallbackOf(windows)));
  return Is64Bit(platform) && MachineOf(platform) != windows.machine;
}

// The warnings of `product` where it has no package of `platform`, on the kinds that try it
// first.
void CheckProduct(const RealSystem& real, const Product& product, PackagePlatformId platform,
                  ReportSection& section) {
  if (HasPackagesOf(real, product, platform)) return;
  ReportLine line;
  line.path = NameOf(platform) + u" packages of the " + product.name;
  line.outcome = u"none";
  for (const WindowsKind& windows : kWindowsKinds) {
    if (!TriesFirst(windows, platform) || !FallbackUnloadable(windows) ||
        !HasPackagesOf(real, product, FallbackOf(windows))) {
      continue;
    }
    Add(line, FindingId::kProductWithoutArm64Package,
        u"on " + std::u16string(windows.name) + u" the " + NameOf(FallbackOf(windows)) + u" " +
            product.name + u" is installed, registered for native " + MachineName(windows.machine) +
            u" programs, which cannot load it");
  }
  if (!line.findings.empty()) section.lines.push_back(line);
}

}  // namespace

// The launcher's own look, on the folder as it is listed.
bool HasPackagesOf(const RealSystem& real, const Product& product, PackagePlatformId platform) {
  const Simulation simulation(real, kWindowsKinds[0]);
  return HasPackageFile(simulation.sys,
                        product.packagePrefix + std::u16string(PlatformRow(platform).tag));
}

bool Simulated(const RealSystem& real, const std::vector<const Product*>& products,
               const WindowsKind& windows) {
  return windows.takesCount == 1 || AnyHas(real, products, windows.takes[0]);
}

void CheckPlatformPackages(const RealSystem& real, const std::vector<const Product*>& products,
                           ReportSection& section) {
  for (int index = 0; index < kPackagePlatformCount; ++index) {
    const auto platform = static_cast<PackagePlatformId>(index);
    bool triedFirst = false;
    for (const WindowsKind& windows : kWindowsKinds) triedFirst |= TriesFirst(windows, platform);
    if (!triedFirst) continue;
    if (AnyHas(real, products, platform)) {
      for (const Product* product : products) CheckProduct(real, *product, platform, section);
      continue;
    }
    ReportLine line;
    line.path = NameOf(platform) + u" packages";
    line.outcome = u"none";
    Add(line, FindingId::kArm64PackagesAbsent, TakenInstead(platform));
    section.lines.push_back(line);
  }
}
