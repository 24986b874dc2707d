#include "setup/platform_check.h"

#include "common/exit_codes.h"
#include "common/number_text.h"
#include "ui/localized_strings.h"
#include "ui/string_ids.h"

namespace {

std::uint32_t Refuse(const System& sys, const Prompts& prompts, BoxKind kind, std::uint16_t textId,
                     std::uint32_t code) {
  ShowMessage(sys, prompts, kind, textId, kStrCaption, kMbIconError);
  return code;
}

// What Windows really is, with its build: GetVersionExW answers 6.2 on Windows 8.1 and later
// to a program whose manifest does not name them. For the log only; the check goes by
// GetVersionExW.
void LogNtVersion(const System& sys) {
  OsVersion version;
  version.size = OsVersion::kExtendedSize;
  if (!sys.platform.ReadNtVersion(&version)) {
    sys.log.Line({"Windows version (RtlGetVersion): unavailable"});
    return;
  }
  sys.log.Line({"Windows version (RtlGetVersion): ", DecimalText(version.major), ".",
                DecimalText(version.minor), ", build ", DecimalText(version.build)});
}

}  // namespace

std::uint32_t CheckPlatform(const System& sys, const Prompts& prompts) {
  OsVersion version;
  version.size = OsVersion::kExtendedSize;
  if (!sys.platform.ReadVersion(&version)) {
    sys.log.Line({"Windows version: unreadable, error ", DecimalText(sys.platform.LastError())});
    LogNtVersion(sys);
    return Refuse(sys, prompts, BoxKind::kUnlessSilent, kStrVersionUnreadable,
                  kExitVersionUnreadable);
  }
  sys.log.Line({"Windows version: ", DecimalText(version.major), ".", DecimalText(version.minor),
                ", service pack ", DecimalText(version.servicePackMajor)});
  LogNtVersion(sys);
  // A Windows this old is refused loudly even in an unattended run.
  if (version.major < 5) {
    return Refuse(sys, prompts, BoxKind::kEvenSilent, kStrOsTooOld, kExitPlatformTooOld);
  }
  if (version.major == 5) {
    if (version.minor == 0 && version.servicePackMajor < 4) {
      return Refuse(sys, prompts, BoxKind::kUnlessSilent, kStrWin2000NeedsSp4,
                    kExitWin2000WithoutSp4);
    }
    if (version.minor == 1 && version.servicePackMajor < 2) {
      return Refuse(sys, prompts, BoxKind::kUnlessSilent, kStrWinXpNeedsSp2, kExitWinXpWithoutSp2);
    }
    if (version.minor == 2 && version.servicePackMajor < 2) {
      return Refuse(sys, prompts, BoxKind::kUnlessSilent, kStrWin2003NeedsSp2,
                    kExitWin2003WithoutSp2);
    }
  }
  return 0;
}
