#include "installer/upgrade_decision.h"

#include "common/number_text.h"
#include "installer/installer_access.h"
#include "installer/package_lookup.h"
#include "log/log_lines.h"
#include "ui/localized_strings.h"
#include "ui/string_ids.h"

namespace {

std::uint32_t Fail(const System& sys, const Prompts& prompts, LogPart step, std::uint16_t textId,
                   std::uint32_t result) {
  sys.log.Line({"upgrade check: ", step, " failed, error ", DecimalText(result)});
  ShowMessage(sys, prompts, BoxKind::kEvenSilent, textId, kStrErrorCaption, kMbIconError);
  return result;
}

}  // namespace

// Code unit by code unit; a text that ends where the other goes on sorts first.
int CompareVersionText(const std::u16string& a, const std::u16string& b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// Its messages are shown whether or not the run is silent.
std::uint32_t DecideUpgrade(const System& sys, const Prompts& prompts, const Product& product,
                            int& versionOrder, int* minimumOrder, std::u16string* offeredVersion) {
  std::u16string installedVersion;
  std::uint32_t result =
      ReadProductInfo(sys.installer, product.code, u"VersionString", installedVersion);
  if (result != 0) {
    return Fail(sys, prompts, "installed version", kStrInstalledVersionUnreadable, result);
  }

  // The first match that this Windows can open: a package for another platform (a 64-bit one
  // on 32-bit Windows, met first on a medium that lists it first) is passed over.
  std::u16string path;
  MsiHandle package{};
  for (std::uint32_t skip = 0;; ++skip) {
    result = FindPackageFile(sys, product.versionPattern, path, skip);
    if (result != 0 && skip == 0) {
      return Fail(sys, prompts, "package lookup", kStrPackageNotFound, result);
    }
    if (result != 0) {
      result = kErrorPlatformUnsupported;  // every match is for another platform
      break;
    }
    package = OpenPackage(sys.installer, path, &result);
    if (result != kErrorPlatformUnsupported) break;
    sys.log.Line({"upgrade check: ", path, " is for another platform (1633), passed over"});
  }
  const PackageSession session(sys.installer, package);
  if (result != 0) {
    return Fail(sys, prompts, "opening the package", kStrNewPackageUnopenable, result);
  }

  std::u16string newVersion;
  result = ReadPackageProperty(session, u"ProductVersion", newVersion);
  if (result != 0) return Fail(sys, prompts, "package version", kStrNewVersionUnreadable, result);

  versionOrder = CompareVersionText(newVersion, installedVersion);
  if (offeredVersion != nullptr) *offeredVersion = newVersion;
  sys.trace.VersionCompared(path, installedVersion, newVersion);
  sys.log.Line({"upgrade check ", product.code, ": installed ", Quoted(installedVersion),
                ", package ", Quoted(newVersion),
                versionOrder > 0 ? u", package newer" : u", package not newer"});
  if (*product.minimumInPlace != u'\0' && minimumOrder != nullptr) {
    *minimumOrder = CompareVersionText(product.minimumInPlace, installedVersion);
    if (*minimumOrder > 0) {
      sys.log.Line({"upgrade check: installed version older than ", product.minimumInPlace,
                    ", no upgrade in place"});
    }
  }
  return 0;
}
