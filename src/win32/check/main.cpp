#include <windows.h>

#include <string>

#include "check/distribution_check.h"
#include "log/utf8_text.h"
#include "win32/certificate_stores.h"
#include "win32/check/certificate_reader.h"
#include "win32/check/kernel_file_reader.h"
#include "win32/check/libraries.h"
#include "win32/check/read_only_packages.h"
#include "win32/dll_search.h"
#include "win32/kernel_files.h"
#include "win32/system_libraries.h"
#include "win32/wide_text.h"
#include "win32/windows_platform.h"

// zirelpluginsetup-check [--json] [FOLDER]: shows which file every path of the launcher picks
// in a distribution folder (default: the current directory), and what is wrong around them.
// Reads only: packages are opened as read-only databases, nothing is installed or imported.

namespace {

constexpr char kUsage[] =
    "usage: zirelpluginsetup-check [--json] [FOLDER]\r\n"
    "Checks a distribution folder (default: the current directory) before it is shipped.\r\n"
    "Exit code: 0 clean, 1 warnings only, 2 errors, 3 bad usage or unreadable folder.\r\n";

// UTF-8 to a console as UTF-16, to a file or pipe as it is.
void Write(DWORD stream, const std::string& text) {
  const HANDLE out = GetStdHandle(stream);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(out, &mode)) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), Wide(wide.data()),
                        length);
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

int Refuse(const std::string& why) {
  Write(STD_ERROR_HANDLE, why);
  return kCheckBadUsage;
}

// The folder is made the current directory, as the launcher would be started in it.
int EnterFolder(const wchar_t* folder) {
  if (folder != nullptr && !SetCurrentDirectoryW(folder)) {
    return Refuse("zirelpluginsetup-check: cannot open the folder " +
                  Utf8Text(Utf16String(folder)) + ": error " + std::to_string(GetLastError()) +
                  "\r\n");
  }
  WIN32_FIND_DATAW entry{};
  FindHandle listing(FindFirstFileW(L"*", &entry));
  if (!listing) {
    return Refuse("zirelpluginsetup-check: cannot list the folder: error " +
                  std::to_string(GetLastError()) + "\r\n");
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // The checker, like the launcher, may be run from the distribution folder: no DLL from there.
  const DllSearch search = RestrictDllSearch();

  bool json = false;
  const wchar_t* folder = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::u16string argument = Utf16String(argv[i]);
    if (argument == u"--json") {
      json = true;
    } else if (argument == u"--help" || argument == u"-h" || argument == u"/?") {
      Write(STD_OUTPUT_HANDLE, kUsage);
      return 0;
    } else if (folder == nullptr && !argument.empty() && argument[0] != u'-') {
      folder = argv[i];
    } else {
      return Refuse(std::string(kUsage));
    }
  }
  if (const int refused = EnterFolder(folder); refused != 0) return refused;

  SystemLibraries libraries;
  CertificateFunctions certificates;
  std::uint32_t loaded = libraries.Load(search);
  if (loaded == 0) loaded = ResolveCertificateFunctions(libraries.CryptModule(), &certificates);
  if (loaded != 0) {
    return Refuse("zirelpluginsetup-check: msi.dll or crypt32.dll cannot be loaded: error " +
                  std::to_string(loaded) + "\r\n");
  }

  ReadOnlyPackages packages(libraries.Msi());
  KernelFiles files;
  CertificateStores certs(libraries.Crypt());
  WindowsPlatform platform;
  KernelFileReader fileReader;
  CryptCertificateReader certificateReader(certificates);
  CheckReport report;
  std::u16string unjudged;
  if (CheckDistribution({packages, files, certs, platform, packages}, fileReader, certificateReader,
                        report, unjudged) != 0) {
    return Refuse("zirelpluginsetup-check: " + Utf8Text(unjudged) +
                  " installs more than one package; the check cannot tell which one a machine "
                  "gets\r\n");
  }
  Write(STD_OUTPUT_HANDLE, json ? RenderJson(report) : RenderText(report));
  return CheckExitCode(report);
}
