#include "actions/package_install.h"

#include "actions/process_runner.h"
#include "common/path_text.h"
#include "installer/package_lookup.h"
#include "ui/localized_strings.h"
#include "ui/string_ids.h"

namespace {

// An install command line up to its package path.
// Aligned as its characters: unasked, the compiler pads an array this long to 32 bytes.
alignas(char16_t) constexpr char16_t kInstallCommand[] = u"msiexec /qn /i \"";

}  // namespace

std::uint32_t InstallPackage(const System& sys, std::u16string productCode, std::u16string pattern,
                             std::u16string args, const Prompts& prompts) {
  std::u16string path;
  const std::uint32_t lookup = FindPackageFile(sys, std::move(pattern), path);
  if (lookup != 0) {
    ShowMessage(sys, prompts, BoxKind::kUnlessSilent, kStrPackageNotFound, kStrErrorCaption,
                kMbIconError);
    return lookup;
  }

  args += u" REBOOT=R";
  const std::u16string command = kInstallCommand + path + u"\" " + args;

  // The source list names the package file; failures here do not stop the install.
  sys.installer.SourceListClearAll(productCode.c_str(), nullptr, 0);
  const std::u16string fileName = FileNameOf(path);
  sys.installer.SourceListSetInfo(productCode.c_str(), nullptr, kInstallContextMachine,
                                  kMsiCodeProduct, u"PackageName", fileName.c_str());

  sys.trace.PackageInstalled(path, command);
  return RunProcess(sys, command);
}
