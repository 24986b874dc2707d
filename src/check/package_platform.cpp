#include "check/package_platform.h"

#include "common/ascii_text.h"

namespace {

bool Contains(const std::u16string& folded, const char16_t* fragment) {
  return folded.find(fragment) != std::u16string::npos;
}

}  // namespace

PackagePlatform PlatformOfTemplate(const std::u16string& templateValue) {
  std::u16string field = templateValue.substr(0, templateValue.find(u';'));
  while (!field.empty() && field.back() == u' ') field.pop_back();
  while (!field.empty() && field.front() == u' ') field.erase(0, 1);
  const std::u16string folded = LowerAsciiText(field);
  if (folded.empty() || folded == u"intel") return PackagePlatform::kIntel;
  if (folded == u"x64" || folded == u"amd64") return PackagePlatform::kX64;
  if (folded == u"intel64") return PackagePlatform::kIntel64;
  if (folded == u"arm64") return PackagePlatform::kArm64;
  if (folded == u"arm") return PackagePlatform::kArm;
  return PackagePlatform::kUnknown;
}

bool RunsOn(PackagePlatform platform, bool wow64) {
  switch (platform) {
    case PackagePlatform::kIntel:
    case PackagePlatform::kUnknown:
      return true;
    case PackagePlatform::kX64:
      return wow64;
    default:
      return false;
  }
}

std::u16string PlatformName(PackagePlatform platform) {
  switch (platform) {
    case PackagePlatform::kIntel:
      return u"Intel";
    case PackagePlatform::kX64:
      return u"x64";
    case PackagePlatform::kIntel64:
      return u"Intel64";
    case PackagePlatform::kArm64:
      return u"Arm64";
    case PackagePlatform::kArm:
      return u"Arm";
    default:
      return u"unknown";
  }
}

std::u16string WindowsName(bool wow64) {
  return wow64 ? u"64-bit Windows" : u"32-bit Windows";
}

PackagePlatform PlatformOfName(const std::u16string& fileName) {
  const std::u16string folded = LowerAsciiText(fileName);
  const bool intel = Contains(folded, u"win32") || Contains(folded, u"x86");
  const bool x64 = Contains(folded, u"x64") || Contains(folded, u"amd64");
  if (intel == x64) return PackagePlatform::kUnknown;
  return intel ? PackagePlatform::kIntel : PackagePlatform::kX64;
}
