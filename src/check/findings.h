#pragma once

#include <cstddef>
#include <iterator>

// Every finding the distribution check can report, one row each: the name a release pipeline
// matches, the severity, and what it means. docs/distribution-check.md shows the same table.

// A note counts in no total and changes no exit code.
enum class Severity { kError, kWarning, kNote };

constexpr const char* SeverityName(Severity severity) {
  return severity == Severity::kError     ? "error"
         : severity == Severity::kWarning ? "warning"
                                          : "note";
}

enum class FindingId {
  kPackageNotFound,
  kPlatformRefused,
  kPathFails,
  kForeignProductCode,
  kConfigurationDiffers,
  kPackageUnreadable,
  kPackageNotNewer,
  kVersionFromOtherPackage,
  kPatternMatchesSeveralFiles,
  kListingOrderChangesEnding,
  kNamedForOtherPlatform,
  kPageCountBelowPlatform,
  kPackageNeedsNewerInstaller,
  kArm64PackagesAbsent,
  kProductWithoutArm64Package,
  kPackageAtTopLevel,
  kPackageInSkippedFolder,
  kPackageTwoLevelsDown,
  kPackageUnreached,
  kUnreachedInListingOrder,
  kImportFileMissing,
  kRegistryFileFormat,
  kCertificateFileUnopenable,
  kCertificateFileEmpty,
  kCertificateExpired,
  kCertificateNotYetValid,
  kCertificateNotAuthority,  // the last: see the check below the table
};

struct FindingKind {
  FindingId id;
  // A short kebab-case name that stays the same from release to release (unlike a finding's
  // text), for a release pipeline that acts on particular findings.
  const char* name;
  Severity severity;
  const char* found;  // what it means, in a few words
};

// In the order of FindingId.
inline constexpr FindingKind kFindingKinds[] = {
    {FindingId::kPackageNotFound, "package-not-found", Severity::kError,
     "no file matches the path's pattern one level down"},
    {FindingId::kPlatformRefused, "platform-refused", Severity::kError,
     "the Windows Installer refuses a package of another platform (1633)"},
    {FindingId::kPathFails, "path-fails", Severity::kError, "the path ends with another error"},
    {FindingId::kForeignProductCode, "foreign-product-code", Severity::kError,
     "the package installed has another product code"},
    {FindingId::kConfigurationDiffers, "configuration-differs", Severity::kError,
     "the package's level or language is not what the path asked"},
    {FindingId::kPackageUnreadable, "package-unreadable", Severity::kError,
     "the package found cannot be opened"},
    {FindingId::kPackageNotNewer, "package-not-newer", Severity::kWarning,
     "an upgrade path finds no newer package and installs nothing"},
    {FindingId::kVersionFromOtherPackage, "version-read-from-other-package", Severity::kWarning,
     "the version compared is not the installed package's"},
    {FindingId::kPatternMatchesSeveralFiles, "pattern-matches-several-files", Severity::kWarning,
     "which file is taken depends on the medium's listing order"},
    {FindingId::kListingOrderChangesEnding, "listing-order-changes-ending", Severity::kWarning,
     "another listing order ends the path differently"},
    {FindingId::kNamedForOtherPlatform, "package-named-for-other-platform", Severity::kError,
     "a file name's platform is not its Template's"},
    {FindingId::kPageCountBelowPlatform, "package-page-count-below-platform", Severity::kError,
     "a 64-bit package's Page Count is too low for its platform"},
    {FindingId::kPackageNeedsNewerInstaller, "package-needs-newer-installer", Severity::kWarning,
     "some supported Windows has no Windows Installer this new"},
    {FindingId::kArm64PackagesAbsent, "arm64-packages-absent", Severity::kNote,
     "no arm64 packages: Windows on Arm is not simulated; what its kinds take instead"},
    {FindingId::kProductWithoutArm64Package, "product-without-arm64-package", Severity::kWarning,
     "a product without arm64 packages: Windows 11 on Arm installs its x64 one, which native "
     "ARM64 programs cannot load"},
    {FindingId::kPackageAtTopLevel, "package-at-top-level", Severity::kWarning,
     "a package lies beside the launcher, where no lookup looks"},
    {FindingId::kPackageInSkippedFolder, "package-in-skipped-folder", Severity::kWarning,
     "a package lies in a folder whose name begins with a full stop"},
    {FindingId::kPackageTwoLevelsDown, "package-two-levels-down", Severity::kWarning,
     "a package lies two levels down"},
    {FindingId::kPackageUnreached, "package-unreached", Severity::kWarning,
     "no path installs the package or reads its version"},
    {FindingId::kUnreachedInListingOrder, "package-unreached-in-listing-order", Severity::kWarning,
     "another file that a path's pattern matches comes first"},
    {FindingId::kImportFileMissing, "import-file-missing", Severity::kError,
     "the registry or ACL file that the ZAZ CSP imports is missing"},
    {FindingId::kRegistryFileFormat, "registry-file-format", Severity::kError,
     "regedit does not read the registry file as it is meant"},
    {FindingId::kCertificateFileUnopenable, "certificate-file-unopenable", Severity::kError,
     "crypt32 cannot open a certificate file; the launcher skips it"},
    {FindingId::kCertificateFileEmpty, "certificate-file-empty", Severity::kWarning,
     "a certificate file holds no certificate"},
    {FindingId::kCertificateExpired, "certificate-expired", Severity::kWarning,
     "a root certificate has expired; the launcher adds it all the same"},
    {FindingId::kCertificateNotYetValid, "certificate-not-yet-valid", Severity::kWarning,
     "a root certificate is not yet valid; the launcher adds it all the same"},
    {FindingId::kCertificateNotAuthority, "certificate-not-authority", Severity::kWarning,
     "a root certificate is not a certification authority; the launcher adds it all the same"},
};

// Each FindingId has its row, at its own place.
constexpr bool RowsInIdOrder() {
  for (std::size_t i = 0; i < std::size(kFindingKinds); ++i) {
    if (static_cast<std::size_t>(kFindingKinds[i].id) != i) return false;
  }
  return std::size(kFindingKinds) ==
         static_cast<std::size_t>(FindingId::kCertificateNotAuthority) + 1;
}
static_assert(RowsInIdOrder(), "kFindingKinds holds one row per FindingId, in its order");

constexpr const FindingKind& KindOf(FindingId id) {
  return kFindingKinds[static_cast<std::size_t>(id)];
}
