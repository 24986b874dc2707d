#pragma once

#include <cstdint>
#include <string>

#include "common/platforms.h"

// Which Windows runs a package: the platform field of its Template summary property, as the
// Windows Installer reads it before it processes a package ("x64;1049", "Intel;1033", ";1033").
// Each platform is one row of package_platform.cpp.

enum class PackagePlatform { kIntel, kX64, kIntel64, kArm64, kArm, kUnknown };

// The platform a Template value names; no platform means Intel, "AMD64" is x64.
PackagePlatform PlatformOfTemplate(const std::u16string& templateValue);

// Whether `windows` runs such a package: an Intel one every kind (the launcher itself is an
// x86 program), an x64 one where x64 programs run, any other only on its own machine; an unknown
// platform is given the benefit of the doubt.
bool RunsOn(PackagePlatform platform, const WindowsKind& windows);

// "Intel", "x64", ... as the Template spells it; "unknown" for anything else.
std::u16string PlatformName(PackagePlatform platform);

// The machine whose programs a package of `platform` holds (IMAGE_FILE_MACHINE_*); 0 for
// kUnknown.
std::uint16_t MachineOf(PackagePlatform platform);

// A 64-bit package: it installs into the 64-bit registry view and folders.
bool Is64Bit(PackagePlatform platform);

// The lowest Page Count a package of `platform` may have: 200 for x64 and Intel64, 500 for
// Arm64; 0 for the 32-bit platforms, which have none.
std::int32_t MinimumPageCount(PackagePlatform platform);

// The platform a package file's name promises, without regard to case: "win32" or "x86" an
// Intel package, "x64" or "amd64" an x64 one, "arm64" an Arm64 one; kUnknown when the name says
// none of them or more than one platform.
PackagePlatform PlatformOfName(const std::u16string& fileName);
