// The provider steps' texts and settings files.

#include "actions/provider_steps.h"

#include <iterator>

namespace step_text {
const char kCspChosen[] = "CSP: configuration chosen, installed as chosen";
const char kCspTakeOver[] = "CSP: installed under the second code, its configuration is taken over";
const char kCspFresh[] = "CSP: new installation under the CSP code";
const char kZazCspFresh[] = "ZAZ CSP: first installation";
const SettingsImports kZazCspImports[] = {
    {u"ZAZ_x86_2.reg", u"ZAZ_acl_x86.acl"},
    {u"ZAZ_x64_2.reg", u"ZAZ_acl_x64.acl"},
    {u"ZAZ_arm64_2.reg", u"ZAZ_acl_arm64.acl"},
};
static_assert(std::size(kZazCspImports) == kPackagePlatformCount,
              "one row of settings files per package platform");
}  // namespace step_text
