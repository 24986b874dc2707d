#include "installer/carry_over.h"

#include "common/number_text.h"
#include "installer/installer_access.h"
#include "log/log_lines.h"
#include "ui/localized_strings.h"
#include "ui/string_ids.h"

namespace {

// The protection-level fragment for an installed package's "ISReleaseFlags". The character
// after the first "kc" names the level; when "kc" ends the value there is none, and the
// fragment is "kc*" so that the pattern stays one whole wildcard text.
std::u16string LevelFragment(const std::u16string& releaseFlags) {
  const auto kc = releaseFlags.find(u"kc");
  if (kc != std::u16string::npos) {
    std::u16string fragment = u"kc";
    if (kc + 2 < releaseFlags.size()) fragment += releaseFlags[kc + 2];
    return fragment + u"*";
  }
  if (releaseFlags.find(u"qxrmcsp") != std::u16string::npos) return u"kc2*";
  if (releaseFlags.find(u"qxcspi") != std::u16string::npos) return u"kc1*";
  return kNoLevelFragment;
}

}  // namespace

std::uint32_t BuildCarryOverArgs(const System& sys, const Product& product, const Prompts& prompts,
                                 std::u16string& pattern) {
  const char16_t* const productCode = product.code;
  std::uint32_t result = 0;
  const auto report = [&](LogPart property, std::uint16_t textId) {
    sys.log.Line({"configuration of ", productCode, ": ", property, " unreadable, error ",
                  DecimalText(result)});
    ShowMessage(sys, prompts, BoxKind::kUnlessSilent, textId, kStrErrorCaption, kMbIconError);
  };

  std::u16string localPackage;
  result = ReadProductInfo(sys.installer, productCode, u"LocalPackage", localPackage);
  if (result != 0) {
    report("LocalPackage", kStrLocalPackageUnreadable);
    return result;
  }

  const PackageSession session(sys.installer, OpenPackage(sys.installer, localPackage, &result));
  if (result != 0) {  // a cached package that is gone is not reported
    sys.log.Line({"configuration of ", productCode, ": cached package ", localPackage,
                  " cannot be opened, error ", DecimalText(result)});
    return result;
  }

  if (product.carryOver == CarryOver::kLevelAndLanguage) {
    std::u16string releaseFlags;
    result = ReadPackageProperty(session, u"ISReleaseFlags", releaseFlags);
    if (result != 0) {
      report("ISReleaseFlags", kStrReleaseFlagsUnreadable);
      return result;
    }
    sys.log.Line({"configuration of ", productCode, ": ISReleaseFlags ", Quoted(releaseFlags)});
    const std::u16string level = LevelFragment(releaseFlags);
    pattern += level;
    sys.trace.LevelCarried(level.c_str());
  }

  std::u16string language;
  result = ReadPackageProperty(session, u"ProductLanguage", language);
  if (result != 0) {
    report("ProductLanguage", kStrProductLanguageUnreadable);
    return result;
  }
  const char16_t* languageFragment = language == u"1033" ? kEnglishFragment : kRussianFragment;
  pattern += languageFragment;
  sys.trace.LanguageCarried(languageFragment);
  sys.log.Line({"configuration of ", productCode, ": ProductLanguage ", Quoted(language),
                ", package pattern ", Quoted(pattern)});
  return 0;
}
