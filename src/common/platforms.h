#pragma once

#include <cstdint>

// The platforms a distribution carries packages for, and the kinds of Windows that take them.
// A platform or a kind of Windows is one row; the code names none of them.

// IMAGE_FILE_MACHINE_* values, as IsWow64Process2 and GetMachineTypeAttributes name machines.
constexpr std::uint16_t kMachineX86 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::uint16_t kMachineArm64 = 0xAA64;
// GetMachineTypeAttributes: the machine's programs run in user mode.
constexpr std::uint32_t kMachineUserEnabled = 0x1;

// "x86", "x64" or "ARM64", as the run log and the checker's report name a machine; "other".
constexpr const char16_t* MachineName(std::uint16_t machine) {
  return machine == kMachineX86     ? u"x86"
         : machine == kMachineAmd64 ? u"x64"
         : machine == kMachineArm64 ? u"ARM64"
                                    : u"other";
}

// Indexes kPackagePlatforms.
enum class PackagePlatformId : std::uint8_t { kWin32, kX64, kArm64 };
inline constexpr int kPackagePlatformCount = 3;

struct PackagePlatformRow {
  const char16_t* name;  // as package file names carry it: "win32", "x64", "arm64"
  const char16_t* tag;   // the pattern part behind a product's prefix: "*win32*"
  // Whose settings files a package of this platform imports where the distribution has none of
  // its own.
  PackagePlatformId settingsFallback;
};

inline constexpr PackagePlatformRow kPackagePlatforms[kPackagePlatformCount] = {
    {u"win32", u"*win32*", PackagePlatformId::kWin32},
    {u"x64", u"*x64*", PackagePlatformId::kX64},
    {u"arm64", u"*arm64*", PackagePlatformId::kX64},
};

constexpr const PackagePlatformRow& PlatformRow(PackagePlatformId id) {
  return kPackagePlatforms[static_cast<int>(id)];
}

// A kind of Windows, and the packages it takes: for each product the first platform of `takes`
// whose package the distribution has, else the last one.
struct WindowsKind {
  const char16_t* name;   // as the checker's report names it
  std::uint16_t machine;  // the native machine
  bool runsX64;           // x64 programs run, natively or emulated
  std::uint8_t takesCount;
  PackagePlatformId takes[2];
  // Logged behind the platform taken where the first one's package is missing.
  const char16_t* fallbackNote;
};

inline constexpr WindowsKind kWindowsKinds[] = {
    {u"32-bit Windows", kMachineX86, false, 1, {PackagePlatformId::kWin32}, u""},
    {u"64-bit Windows", kMachineAmd64, true, 1, {PackagePlatformId::kX64}, u""},
    {u"Windows 11 on Arm",
     kMachineArm64,
     true,
     2,
     {PackagePlatformId::kArm64, PackagePlatformId::kX64},
     u": native ARM64 programs find it registered but cannot load it"},
    {u"Windows 10 on Arm",
     kMachineArm64,
     false,
     2,
     {PackagePlatformId::kArm64, PackagePlatformId::kWin32},
     u", which runs emulated"},
};

// The row of the Windows with native `machine` on which x64 programs run or not; where the
// machine has one row, that row whatever `runsX64` says; a machine without a row counts as 32-bit
// Windows.
constexpr const WindowsKind& WindowsKindOf(std::uint16_t machine, bool runsX64) {
  const WindowsKind* first = nullptr;
  for (const WindowsKind& kind : kWindowsKinds) {
    if (kind.machine != machine) continue;
    if (kind.runsX64 == runsX64) return kind;
    if (first == nullptr) first = &kind;
  }
  return first != nullptr ? *first : kWindowsKinds[0];
}

// Whether `machine` has more than one row, told apart by whether x64 programs run.
constexpr bool KindDependsOnX64(std::uint16_t machine) {
  int rows = 0;
  for (const WindowsKind& kind : kWindowsKinds) rows += kind.machine == machine ? 1 : 0;
  return rows > 1;
}
