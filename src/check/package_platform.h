#pragma once

#include <cstdint>
#include <string>

#include "installer/upgrade_decision.h"

// Which Windows runs a package: the platform field of its Template summary property, as the
// Windows Installer reads it before it processes a package ("x64;1049", "Intel;1033", ";1033").

enum class PackagePlatform { kIntel, kX64, kIntel64, kArm64, kArm, kUnknown };

// The platform a Template value names; no platform means Intel, "AMD64" is x64.
PackagePlatform PlatformOfTemplate(const std::u16string& templateValue);

// Whether the simulated Windows (32-bit x86, or 64-bit x64 when `wow64`) runs such a package;
// an unknown platform is given the benefit of the doubt.
bool RunsOn(PackagePlatform platform, bool wow64);

// "Intel", "x64", ... as the Template spells it; "unknown" for anything else.
std::u16string PlatformName(PackagePlatform platform);

// "32-bit Windows" or "64-bit Windows".
std::u16string WindowsName(bool wow64);

// The platform a package file's name promises: "win32" or "x86" an Intel package, "x64" or
// "amd64" an x64 one (without regard to case); kUnknown when the name says neither or both.
PackagePlatform PlatformOfName(const std::u16string& fileName);
