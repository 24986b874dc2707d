#include "check/simulated_system.h"

#include <cstring>

namespace {

constexpr std::uint32_t kErrorUnknownProduct = 1605;
constexpr std::uint32_t kErrorUnknownProperty = 1608;
constexpr std::uint32_t kErrorMoreData = 234;
constexpr std::uint32_t kFileAttributeNormal = 0x80;
constexpr char16_t kSimulatedSystemDirectory[] = u"C:\\Windows\\system32";

// MsiGetProductInfoW's answer: the length alone without buffer, else the text when it fits.
std::uint32_t AnswerText(const std::u16string& value, char16_t* buffer, std::uint32_t* size) {
  const auto length = static_cast<std::uint32_t>(value.size());
  if (buffer == nullptr) {
    *size = length;
    return 0;
  }
  if (*size <= length) {
    *size = length;
    return kErrorMoreData;
  }
  std::memcpy(buffer, value.c_str(), (value.size() + 1) * sizeof(char16_t));
  *size = length;
  return 0;
}

// GetSystemDirectoryW's answer for a fixed text.
std::uint32_t AnswerDirectory(char16_t* buffer, std::uint32_t bufferLength) {
  const std::u16string directory = kSimulatedSystemDirectory;
  const auto length = static_cast<std::uint32_t>(directory.size());
  if (bufferLength <= length) return length + 1;
  std::memcpy(buffer, directory.c_str(), (directory.size() + 1) * sizeof(char16_t));
  return length;
}

}  // namespace

int SimulatedInstaller::QueryProductState(const char16_t* product) {
  return installed.count(product) != 0 ? kInstallStateDefault : kInstallStateUnknown;
}

int SimulatedInstaller::QueryFeatureState(const char16_t* product, const char16_t*) {
  return installed.count(product) != 0 ? kInstallStateDefault : kInstallStateUnknown;
}

std::uint32_t SimulatedInstaller::GetProductInfo(const char16_t* product, const char16_t* property,
                                                 char16_t* buffer, std::uint32_t* size) {
  const auto it = installed.find(product);
  if (it == installed.end()) return kErrorUnknownProduct;
  const std::u16string name = property;
  versionRead_ = name == u"VersionString";
  if (name == u"VersionString") return AnswerText(it->second.version, buffer, size);
  if (name == u"LocalPackage") return AnswerText(it->second.localPackage, buffer, size);
  return kErrorUnknownProperty;
}

std::uint32_t SimulatedInstaller::OpenPackageEx(const char16_t* path, std::uint32_t options,
                                                MsiHandle* handle) {
  openedPackages.emplace_back(path);
  if (versionRead_) versionSource = path;
  versionRead_ = false;
  return packages_.OpenPackageEx(path, options, handle);
}

std::uint32_t SimulatedInstaller::GetProperty(MsiHandle handle, const char16_t* name,
                                              char16_t* buffer, std::uint32_t* size) {
  return packages_.GetProperty(handle, name, buffer, size);
}

std::uint32_t SimulatedInstaller::CloseMsiHandle(MsiHandle handle) {
  return packages_.CloseMsiHandle(handle);
}

bool RecordingProcesses::StartProcess(const char16_t*, char16_t* commandLine, std::uint32_t,
                                      ProcessHandles* handles) {
  commandLines.emplace_back(commandLine);
  handles->process = 1;
  handles->thread = 2;
  return true;
}

bool RecordingProcesses::ReadExitCode(SysHandle, std::uint32_t* exitCode) {
  *exitCode = 0;
  return true;
}

SysHandle SimulatedFiles::FindFirst(const char16_t* pattern, FindEntry* entry) {
  searches.emplace_back(pattern);
  return real_.FindFirst(pattern, entry);
}

bool SimulatedFiles::FindNext(SysHandle search, FindEntry* entry) {
  return real_.FindNext(search, entry);
}

bool SimulatedFiles::CloseFind(SysHandle search) {
  return real_.CloseFind(search);
}

std::uint32_t SimulatedFiles::ReadCurrentDirectory(std::uint32_t bufferLength, char16_t* buffer) {
  return real_.ReadCurrentDirectory(bufferLength, buffer);
}

std::uint32_t SimulatedFiles::ReadFullPathName(const char16_t* name, std::uint32_t bufferLength,
                                               char16_t* buffer) {
  return real_.ReadFullPathName(name, bufferLength, buffer);
}

std::uint32_t SimulatedFiles::ReadSystemDirectory(char16_t* buffer, std::uint32_t bufferLength) {
  return AnswerDirectory(buffer, bufferLength);
}

std::uint32_t SimulatedFiles::ReadWindowsDirectory(char16_t* buffer, std::uint32_t bufferLength) {
  return AnswerDirectory(buffer, bufferLength);
}

std::uint32_t SimulatedFiles::ReadFileAttributes(const char16_t*) {
  return kFileAttributeNormal;
}

CertStoreHandle RecordingCerts::OpenStore(CertStoreProvider provider, std::uint32_t encoding,
                                          std::uint32_t flags, const char16_t* parameter) {
  if (provider != CertStoreProvider::kFileName || parameter == nullptr) return 0;
  const CertStoreHandle store = real_.OpenStore(provider, encoding, flags, parameter);
  fileOpens.push_back({parameter, store != 0});
  return store;
}

bool RecordingCerts::CloseStore(CertStoreHandle store, std::uint32_t flags) {
  return real_.CloseStore(store, flags);
}

bool SimulatedPlatform::SplitCommandLine(const std::u16string& text,
                                         std::vector<std::u16string>* tokens) {
  std::u16string token;
  for (const char16_t c : text + u" ") {
    if (c != u' ') {
      token += c;
    } else if (!token.empty()) {
      tokens->push_back(token);
      token.clear();
    }
  }
  return true;
}

bool SimulatedPlatform::CallIsWow64Process(ProcAddress, SysHandle, int* isWow64) {
  *isWow64 = wow64_ ? 1 : 0;
  return true;
}

int SilentUi::ShowMessageBox(const std::u16string&, const std::u16string&, std::uint32_t) {
  ++messageBoxes;
  return kIdOk;
}

std::u16string Simulation::InstalledPackage() const {
  static const std::u16string kInstall = u" /i \"";
  for (const std::u16string& command : processes.commandLines) {
    const auto start = command.find(kInstall);
    if (start == std::u16string::npos) continue;
    const auto from = start + kInstall.size();
    const auto end = command.find(u'"', from);
    if (end != std::u16string::npos) return command.substr(from, end - from);
  }
  return {};
}
