#include "check/installer_version.h"

#include <vector>

#include "common/number_text.h"
#include "common/win_errors.h"

// What each comes with, and the newest Windows Installer Microsoft offers for it as an update.
// There is no 5.0 but the one that comes with Windows 7 and later; the x64 editions begin with
// XP, the ARM64 ones with Windows 10. Vista stands for Server 2008 too.
const SupportedWindows kSupportedWindows[5] = {
    {u"2000 SP4", 200, 301, {kMachineX86}},  // 2.0; 3.1 at most, no 4.5 for Windows 2000
    {u"XP SP2", 300, 405, {kMachineX86, kMachineAmd64}},                      // 3.0; 3.1 or 4.5
    {u"Server 2003 SP2", 301, 405, {kMachineX86, kMachineAmd64}},             // 3.1 since SP1; 4.5
    {u"Vista", 400, 405, {kMachineX86, kMachineAmd64}},                       // 4.0; 4.5
    {u"7 and later", 500, 500, {kMachineX86, kMachineAmd64, kMachineArm64}},  // 5.0
};

namespace {

bool HasEdition(const SupportedWindows& windows, std::uint16_t machine) {
  for (const std::uint16_t edition : windows.machines) {
    if (edition == machine) return true;
  }
  return false;
}

// "Windows XP SP2, Server 2003 SP2 and Vista refuse it with 1613".
std::u16string Refusing(const std::vector<std::u16string>& names) {
  std::u16string text = u"Windows ";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? u" and " : u", ";
    text += names[i];
  }
  return text + (names.size() == 1 ? u" refuses" : u" refuse") + u" it with " +
         DecimalText(kErrorInstallPackageVersion);
}

}  // namespace

std::u16string InstallerVersionName(std::int32_t pageCount) {
  const auto count = static_cast<std::uint32_t>(pageCount < 0 ? 0 : pageCount);
  return DecimalText(count / 100) + u"." + DecimalText(count % 100);
}

InstallerAnswer AnswerFor(const SupportedWindows& windows, std::int32_t pageCount) {
  if (pageCount <= windows.released) return InstallerAnswer::kAccepted;
  return pageCount <= windows.newest ? InstallerAnswer::kRefusedUntilUpdated
                                     : InstallerAnswer::kRefused;
}

std::u16string InstallerVersionProblem(PackagePlatform platform, std::int32_t pageCount) {
  const std::uint16_t machine =
      MachineOf(platform == PackagePlatform::kUnknown ? PackagePlatform::kIntel : platform);
  std::vector<std::u16string> refused;
  std::vector<std::u16string> untilUpdated;
  for (const SupportedWindows& windows : kSupportedWindows) {
    if (!HasEdition(windows, machine)) continue;
    const InstallerAnswer answer = AnswerFor(windows, pageCount);
    if (answer == InstallerAnswer::kRefused) refused.push_back(windows.name);
    if (answer == InstallerAnswer::kRefusedUntilUpdated) untilUpdated.push_back(windows.name);
  }
  const std::u16string version = u"Windows Installer " + InstallerVersionName(pageCount);
  std::u16string text;
  if (!refused.empty()) {
    text = Refusing(refused) + u": there is no " + version + u" for " +
           (refused.size() == 1 ? u"it" : u"them");
  }
  if (!untilUpdated.empty()) {
    text += (text.empty() ? u"" : u"; ") + Refusing(untilUpdated) + u" until " + version +
            u" or later is installed";
  }
  return text;
}

std::u16string PageCountProblem(PackagePlatform platform, std::int32_t pageCount) {
  const std::int32_t minimum = MinimumPageCount(platform);
  if (pageCount >= minimum) return {};
  return u"its Template names the " + PlatformName(platform) +
         u" platform, for which the Page Count must be " +
         DecimalText(static_cast<std::uint32_t>(minimum)) + u" or more";
}
