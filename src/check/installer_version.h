#pragma once

#include <cstdint>
#include <string>

#include "check/package_platform.h"

// Which Windows Installer a package needs, and where that ends it: the Page Count summary
// property names the oldest Windows Installer that processes the package (200 for 2.0, 301 for
// 3.1, 405 for 4.5, 500 for 5.0), and an older one refuses it with 1613
// (ERROR_INSTALL_PACKAGE_VERSION), at msiexec and at the version check's MsiOpenPackageEx alike.

// "5.0" for 500, "4.5" for 405, "3.1" for 301.
std::u16string InstallerVersionName(std::int32_t pageCount);

// The Windows the launcher supports, oldest first, each with the Windows Installer it comes
// with, the newest that Microsoft offers for it as an update and the machines it has editions
// for.
struct SupportedWindows {
  const char16_t* name;  // "XP SP2"; the first also carries "Windows"
  std::int32_t released;
  std::int32_t newest;
  std::uint16_t machines[3];  // IMAGE_FILE_MACHINE_*; 0: no more
};
extern const SupportedWindows kSupportedWindows[5];

enum class InstallerAnswer { kAccepted, kRefusedUntilUpdated, kRefused };

// How the Windows Installer of `windows` answers a package that needs `pageCount`.
InstallerAnswer AnswerFor(const SupportedWindows& windows, std::int32_t pageCount);

// The warning for a package of `platform` that some supported Windows with an edition for its
// machine refuses with 1613, naming them; empty when every one accepts it. A package of an
// unknown platform is judged as an Intel one.
std::u16string InstallerVersionProblem(PackagePlatform platform, std::int32_t pageCount);

// The error for a 64-bit package whose Page Count is below what its platform needs (200 for
// x64 and Intel64, 500 for Arm64); empty when it is not.
std::u16string PageCountProblem(PackagePlatform platform, std::int32_t pageCount);
