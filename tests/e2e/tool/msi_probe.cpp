// msi_probe: asks the Windows Installer of the running prefix what it knows about a product,
// reads certificate files and the machine's Root store, or runs a command line and reports
// the child's full 32-bit exit code (the shell outside Wine only sees the low 8 bits).
//
//   msi_probe state <product>              MsiQueryProductStateW, e.g. "5" or "-1"
//   msi_probe version <product>            VersionString of the installed product
//   msi_probe info <product> <property>    any MsiGetProductInfoW property (LocalPackage, ...)
//   msi_probe feature <product> <feature>  MsiQueryFeatureStateW, e.g. "3" or "2"
//   msi_probe packagename <product>        source list "PackageName", per-machine context
//   msi_probe property <package> <name>    property of a package file (or of a cached package)
//   msi_probe product <product> [feature]...
//                                          all of the above in one call, one "name=value" a line:
//                                          state, version, language, packagename, releaseflags
//                                          (ISReleaseFlags of the cached package), then
//                                          "feature <name>=<state>" for each feature given
//   msi_probe run <command line>           CreateProcessW + wait; prints the exit code
//   msi_probe certfile <file>              SHA-1 thumbprints of the certificates in a file
//   msi_probe root <thumbprint>            "present" or "absent" in the machine's Root store
//
// Results go to stdout as UTF-8, each followed by a line feed. A call that fails gives
// "error <code>" instead of its value, and the probe then exits with 1; a usage mistake exits
// with 2.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <wincrypt.h>

#include <string>
#include <vector>

#include "win32/handles.h"
#include "win32/msi_handle.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitCallFailed = 1;
constexpr int kExitUsage = 2;
constexpr DWORD kCertEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// Owns the argument vector of CommandLineToArgvW.
class ArgumentVector {
 public:
  explicit ArgumentVector(const wchar_t* commandLine)
      : argv_(CommandLineToArgvW(commandLine, &count_)), memory_(argv_) {}
  int size() const { return argv_ == nullptr ? 0 : count_; }
  std::wstring operator[](int index) const { return argv_[index]; }

 private:
  int count_ = 0;
  wchar_t** argv_;
  LocalMemory memory_;  // frees the vector
};

// A value read from the system, or the error code of the call that failed.
struct Answer {
  UINT error = ERROR_SUCCESS;
  std::wstring value;

  std::wstring Text() const {
    return error == ERROR_SUCCESS ? value : L"error " + std::to_wstring(error);
  }
};

Answer Failed(UINT error) {
  Answer answer;
  answer.error = error;
  return answer;
}

Answer Value(const std::wstring& value) {
  Answer answer;
  answer.value = value;
  return answer;
}

void WriteUtf8(HANDLE stream, const std::wstring& text) {
  const std::wstring line = text + L"\n";
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(stream, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

int Print(const Answer& answer) {
  WriteUtf8(GetStdHandle(STD_OUTPUT_HANDLE), answer.Text());
  return answer.error == ERROR_SUCCESS ? kExitOk : kExitCallFailed;
}

int Usage() {
  WriteUtf8(GetStdHandle(STD_ERROR_HANDLE),
            L"usage: msi_probe state|version|packagename <product>\n"
            L"       msi_probe info <product> <property>\n"
            L"       msi_probe feature <product> <feature>\n"
            L"       msi_probe property <package file> <property>\n"
            L"       msi_probe product <product> [feature]...\n"
            L"       msi_probe run <command line>\n"
            L"       msi_probe certfile <file>\n"
            L"       msi_probe root <thumbprint>");
  return kExitUsage;
}

// Calls one of the msi.dll text getters: first with no buffer for the length, then with a
// buffer of that length. The first call must not get a buffer: Wine's MsiSourceListGetInfoW
// writes a terminating zero at the length it reports even when the buffer is too small.
template <typename Getter>
Answer ReadText(Getter get) {
  DWORD length = 0;
  UINT result = get(nullptr, &length);
  if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) return Failed(result);
  std::vector<wchar_t> buffer(length + 1);
  length = static_cast<DWORD>(buffer.size());
  result = get(buffer.data(), &length);
  if (result != ERROR_SUCCESS) return Failed(result);
  return Value(std::wstring(buffer.data(), length));
}

Answer ProductState(const std::wstring& product) {
  return Value(std::to_wstring(MsiQueryProductStateW(product.c_str())));
}

Answer FeatureState(const std::wstring& product, const std::wstring& feature) {
  return Value(std::to_wstring(MsiQueryFeatureStateW(product.c_str(), feature.c_str())));
}

Answer ProductInfo(const std::wstring& product, const std::wstring& property) {
  return ReadText([&](wchar_t* buffer, DWORD* size) {
    return MsiGetProductInfoW(product.c_str(), property.c_str(), buffer, size);
  });
}

Answer PackageName(const std::wstring& product) {
  return ReadText([&](wchar_t* buffer, DWORD* size) {
    return MsiSourceListGetInfoW(product.c_str(), nullptr, MSIINSTALLCONTEXT_MACHINE,
                                 MSICODE_PRODUCT, L"PackageName", buffer, size);
  });
}

Answer PackageProperty(const std::wstring& package, const std::wstring& property) {
  OwnedMsiHandle session(MsiCloseHandle);
  const UINT opened =
      MsiOpenPackageExW(package.c_str(), MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE, session.Receive());
  if (opened != ERROR_SUCCESS) return Failed(opened);
  return ReadText([&](wchar_t* buffer, DWORD* size) {
    return MsiGetPropertyW(session.Get(), property.c_str(), buffer, size);
  });
}

int ProductSummary(const std::wstring& product, const ArgumentVector& args, int firstFeature) {
  const Answer localPackage = ProductInfo(product, L"LocalPackage");
  const Answer releaseFlags = localPackage.error == ERROR_SUCCESS
                                  ? PackageProperty(localPackage.value, L"ISReleaseFlags")
                                  : localPackage;
  std::vector<std::pair<std::wstring, Answer>> lines = {
      {L"state", ProductState(product)},
      {L"version", ProductInfo(product, L"VersionString")},
      {L"language", ProductInfo(product, L"Language")},
      {L"packagename", PackageName(product)},
      {L"releaseflags", releaseFlags},
  };
  for (int i = firstFeature; i < args.size(); ++i) {
    lines.emplace_back(L"feature " + args[i], FeatureState(product, args[i]));
  }
  std::wstring text;
  for (const auto& line : lines) {
    if (!text.empty()) text += L"\n";
    text += line.first + L"=" + line.second.Text();
  }
  WriteUtf8(GetStdHandle(STD_OUTPUT_HANDLE), text);
  return kExitOk;
}

// The child's command line is the probe's own command-line text after the word "run",
// taken verbatim so that quotes and repeated blanks reach the child unchanged. The program
// name is skipped as CommandLineToArgvW reads it: up to the closing quote or the first blank.
std::wstring TextAfterRun(const std::wstring& commandLine) {
  size_t position = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    position = commandLine.find(L'"', 1);
    position = position == std::wstring::npos ? commandLine.size() : position + 1;
  } else {
    position = commandLine.find_first_of(L" \t");
    if (position == std::wstring::npos) position = commandLine.size();
  }
  position = commandLine.find_first_not_of(L" \t", position);
  if (position == std::wstring::npos || commandLine.compare(position, 3, L"run") != 0) {
    return std::wstring();
  }
  position = commandLine.find_first_not_of(L" \t", position + 3);
  return position == std::wstring::npos ? std::wstring() : commandLine.substr(position);
}

Answer Run(const std::wstring& commandLine) {
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return Failed(GetLastError());
  }
  const KernelHandle processHandle(process.hProcess);
  const KernelHandle threadHandle(process.hThread);
  WaitForSingleObject(processHandle.Get(), INFINITE);
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(processHandle.Get(), &exitCode)) return Failed(GetLastError());
  return Value(std::to_wstring(exitCode));
}

std::wstring Thumbprint(PCCERT_CONTEXT certificate) {
  BYTE hash[20] = {};
  DWORD size = sizeof(hash);
  if (!CertGetCertificateContextProperty(certificate, CERT_SHA1_HASH_PROP_ID, hash, &size)) {
    return std::wstring();
  }
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring text;
  for (DWORD i = 0; i < size; ++i) {
    text += kDigits[hash[i] >> 4];
    text += kDigits[hash[i] & 0xF];
  }
  return text;
}

// Opens a file as a certificate store, read-only and only if it exists (flags 0 would create
// a missing file), and lists the thumbprints of its certificates, one a line.
Answer CertificateFile(const std::wstring& path) {
  const OwnedCertStore store(CertOpenStore(CERT_STORE_PROV_FILENAME_W, kCertEncoding, 0,
                                           CERT_STORE_OPEN_EXISTING_FLAG | CERT_STORE_READONLY_FLAG,
                                           path.c_str()));
  if (store.Get() == nullptr) return Failed(GetLastError());
  std::wstring lines;
  PCCERT_CONTEXT certificate = nullptr;
  // Each call frees the context it is given; the loop ends with the null one.
  while ((certificate = CertEnumCertificatesInStore(store.Get(), certificate)) != nullptr) {
    if (!lines.empty()) lines += L"\n";
    lines += Thumbprint(certificate);
  }
  return Value(lines);
}

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  return -1;
}

bool ParseThumbprint(const std::wstring& text, BYTE (&hash)[20]) {
  if (text.size() != 2 * sizeof(hash)) return false;
  for (size_t i = 0; i < sizeof(hash); ++i) {
    const int high = HexDigit(text[2 * i]);
    const int low = HexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    hash[i] = static_cast<BYTE>(high * 16 + low);
  }
  return true;
}

Answer RootStoreHolds(BYTE (&hash)[20]) {
  const OwnedCertStore store(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, kCertEncoding, 0,
                                           CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
  if (store.Get() == nullptr) return Failed(GetLastError());
  CRYPT_HASH_BLOB blob = {};
  blob.cbData = sizeof(hash);
  blob.pbData = hash;
  const PCCERT_CONTEXT found = CertFindCertificateInStore(store.Get(), kCertEncoding, 0,
                                                          CERT_FIND_SHA1_HASH, &blob, nullptr);
  if (found == nullptr) return Value(L"absent");
  CertFreeCertificateContext(found);
  return Value(L"present");
}

}  // namespace

int wmain() {
  const wchar_t* commandLine = GetCommandLineW();
  const ArgumentVector args(commandLine);
  if (args.size() < 3) return Usage();
  const std::wstring command = args[1];
  const std::wstring subject = args[2];
  if (command == L"run") return Print(Run(TextAfterRun(commandLine)));
  if (command == L"product") return ProductSummary(subject, args, 3);
  if (args.size() == 3) {
    if (command == L"state") return Print(ProductState(subject));
    if (command == L"version") return Print(ProductInfo(subject, L"VersionString"));
    if (command == L"packagename") return Print(PackageName(subject));
    if (command == L"certfile") return Print(CertificateFile(subject));
    BYTE hash[20] = {};
    if (command == L"root" && ParseThumbprint(subject, hash)) return Print(RootStoreHolds(hash));
  } else if (args.size() == 4) {
    if (command == L"info") return Print(ProductInfo(subject, args[3]));
    if (command == L"feature") return Print(FeatureState(subject, args[3]));
    if (command == L"property") return Print(PackageProperty(subject, args[3]));
  }
  return Usage();
}
