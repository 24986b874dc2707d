// The Template platforms as rows: spelling, machine, bitness, Page Count floor and the names a
// package file carries for each.

#include "check/package_platform.h"

#include <iterator>

#include "common/ascii_text.h"

namespace {

constexpr std::uint16_t kMachineIa64 = 0x0200;
constexpr std::uint16_t kMachineArmNt = 0x01C4;

struct TemplatePlatform {
  PackagePlatform platform;
  const char16_t* name;       // as the Template spells it
  const char16_t* otherName;  // another spelling the installer reads; empty: none
  std::uint16_t machine;
  bool is64Bit;
  std::int32_t minimumPageCount;  // 0: none
  // What a file name says for it, lower case; empty: nothing.
  const char16_t* fileTags[2];
};

// In the order of PackagePlatform, kUnknown left out.
constexpr TemplatePlatform kTemplatePlatforms[] = {
    {PackagePlatform::kIntel, u"Intel", u"", kMachineX86, false, 0, {u"win32", u"x86"}},
    {PackagePlatform::kX64, u"x64", u"amd64", kMachineAmd64, true, 200, {u"x64", u"amd64"}},
    {PackagePlatform::kIntel64, u"Intel64", u"", kMachineIa64, true, 200, {u"", u""}},
    {PackagePlatform::kArm64, u"Arm64", u"", kMachineArm64, true, 500, {u"arm64", u""}},
    {PackagePlatform::kArm, u"Arm", u"", kMachineArmNt, false, 0, {u"", u""}},
};

constexpr bool RowsInOrder() {
  for (std::size_t i = 0; i < std::size(kTemplatePlatforms); ++i) {
    if (static_cast<std::size_t>(kTemplatePlatforms[i].platform) != i) return false;
  }
  return std::size(kTemplatePlatforms) == static_cast<std::size_t>(PackagePlatform::kUnknown);
}
static_assert(RowsInOrder(), "kTemplatePlatforms holds one row per known PackagePlatform");

// The row of `platform`; null for kUnknown.
const TemplatePlatform* RowOf(PackagePlatform platform) {
  const auto index = static_cast<std::size_t>(platform);
  return index < std::size(kTemplatePlatforms) ? &kTemplatePlatforms[index] : nullptr;
}

bool Contains(const std::u16string& folded, const char16_t* fragment) {
  return *fragment != u'\0' && folded.find(fragment) != std::u16string::npos;
}

}  // namespace

PackagePlatform PlatformOfTemplate(const std::u16string& templateValue) {
  std::u16string field = templateValue.substr(0, templateValue.find(u';'));
  while (!field.empty() && field.back() == u' ') field.pop_back();
  while (!field.empty() && field.front() == u' ') field.erase(0, 1);
  const std::u16string folded = LowerAsciiText(field);
  if (folded.empty()) return PackagePlatform::kIntel;
  for (const TemplatePlatform& row : kTemplatePlatforms) {
    if (folded == LowerAsciiText(row.name) || folded == row.otherName) return row.platform;
  }
  return PackagePlatform::kUnknown;
}

bool RunsOn(PackagePlatform platform, const WindowsKind& windows) {
  const TemplatePlatform* row = RowOf(platform);
  if (row == nullptr) return true;
  return row->machine == windows.machine || row->machine == kMachineX86 ||
         (row->machine == kMachineAmd64 && windows.runsX64);
}

std::u16string PlatformName(PackagePlatform platform) {
  const TemplatePlatform* row = RowOf(platform);
  return row != nullptr ? row->name : u"unknown";
}

std::uint16_t MachineOf(PackagePlatform platform) {
  const TemplatePlatform* row = RowOf(platform);
  return row != nullptr ? row->machine : 0;
}

bool Is64Bit(PackagePlatform platform) {
  const TemplatePlatform* row = RowOf(platform);
  return row != nullptr && row->is64Bit;
}

std::int32_t MinimumPageCount(PackagePlatform platform) {
  const TemplatePlatform* row = RowOf(platform);
  return row != nullptr ? row->minimumPageCount : 0;
}

PackagePlatform PlatformOfName(const std::u16string& fileName) {
  const std::u16string folded = LowerAsciiText(fileName);
  PackagePlatform named = PackagePlatform::kUnknown;
  for (const TemplatePlatform& row : kTemplatePlatforms) {
    if (!Contains(folded, row.fileTags[0]) && !Contains(folded, row.fileTags[1])) continue;
    if (named != PackagePlatform::kUnknown) return PackagePlatform::kUnknown;
    named = row.platform;
  }
  return named;
}
