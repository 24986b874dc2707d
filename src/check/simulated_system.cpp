#include "check/simulated_system.h"

#include <algorithm>
#include <cstring>

#include "common/scoped_handles.h"
#include "common/win_errors.h"

namespace {

constexpr std::uint32_t kFileAttributeNormal = 0x80;
constexpr char16_t kSimulatedSystemDirectory[] = u"C:\\Windows\\system32";
// Where the simulated Windows Installer keeps the cached package of each installed product.
constexpr char16_t kCachedPackageFolder[] = u"C:\\Windows\\Installer\\";

// The cached package of `productCode`, as "LocalPackage" names it.
std::u16string CachedPackageOf(const std::u16string& productCode) {
  return kCachedPackageFolder + productCode + u".msi";
}

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

// The last two elements of a full path: its folder's name and its own.
void SplitFolderAndName(const std::u16string& path, std::u16string& folder, std::u16string& name) {
  const auto last = path.rfind(u'\\');
  if (last == std::u16string::npos || last == 0) return;
  const auto before = path.rfind(u'\\', last - 1);
  const auto start = before == std::u16string::npos ? 0 : before + 1;
  folder = path.substr(start, last - start);
  name = path.substr(last + 1);
}

// Moves the entry named `name` to the front, keeping the order of the others.
void ListFirst(std::vector<FindEntry>& entries, const std::u16string& name) {
  const auto it = std::find_if(entries.begin(), entries.end(),
                               [&](const FindEntry& entry) { return entry.name == name; });
  if (it != entries.end()) std::rotate(entries.begin(), it, it + 1);
}

}  // namespace

bool SimulatedPlatformRule::Accepts(const std::u16string& path, bool atInstall) {
  PackageSummary summary;
  if (summaries_.ReadSummary(path, summary) != 0) return true;
  const PackagePlatform platform = PlatformOfTemplate(summary.templateValue);
  if (RunsOn(platform, windows_)) return true;
  refusals.push_back({path, platform, atInstall});
  return false;
}

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
  if (name == u"VersionString") return AnswerText(it->second.version, buffer, size);
  if (name == u"LocalPackage") return AnswerText(CachedPackageOf(it->first), buffer, size);
  return kErrorUnknownProperty;
}

std::uint32_t SimulatedInstaller::OpenPackageEx(const char16_t* path, std::uint32_t options,
                                                MsiHandle* handle) {
  for (const auto& [code, product] : installed) {
    if (CachedPackageOf(code) == path) {
      return packages_.OpenPackageEx(product.localPackage.c_str(), options, handle);
    }
  }
  if (!rule_.Accepts(path, false)) {
    *handle = MsiHandle{};
    return kErrorPlatformUnsupported;
  }
  return packages_.OpenPackageEx(path, options, handle);
}

std::uint32_t SimulatedInstaller::GetProperty(MsiHandle handle, const char16_t* name,
                                              char16_t* buffer, std::uint32_t* size) {
  return packages_.GetProperty(handle, name, buffer, size);
}

std::uint32_t SimulatedInstaller::CloseMsiHandle(MsiHandle handle) {
  return packages_.CloseMsiHandle(handle);
}

SysResult<bool> RecordingProcesses::StartProcess(const char16_t*, char16_t* commandLine,
                                                 std::uint32_t, ProcessHandles* handles) {
  exitCode_ = 0;
  const RecordedTrace::Install* install = trace_.Last<RecordedTrace::Install>();
  if (install != nullptr && install->commandLine == commandLine &&
      !rule_.Accepts(install->package, true)) {
    exitCode_ = kErrorPlatformUnsupported;
  }
  handles->process = ProcessHandle{1};
  handles->thread = ThreadHandle{2};
  return {true, 0};
}

bool RecordingProcesses::ReadExitCode(ProcessHandle, std::uint32_t* exitCode) {
  *exitCode = exitCode_;
  return true;
}

std::vector<FindEntry> SimulatedFiles::ListInOrder(const std::u16string& pattern) {
  std::vector<FindEntry> entries;
  FindEntry entry;
  {
    ScopedFind search(real_, real_.FindFirst(pattern.c_str(), &entry));
    if (!search.IsOpen()) return entries;
    do {
      entries.push_back(entry);
    } while (real_.FindNext(search.get(), &entry));
  }

  std::u16string folder;
  std::u16string name;
  SplitFolderAndName(listedFirst, folder, name);
  if (folder.empty()) return entries;
  if (pattern == u"*") ListFirst(entries, folder);
  if (pattern.rfind(folder + u"\\", 0) == 0) ListFirst(entries, name);
  return entries;
}

SearchHandle SimulatedFiles::FindFirst(const char16_t* pattern, FindEntry* entry) {
  return handout_.Open(ListInOrder(pattern), entry);
}

bool SimulatedFiles::FindNext(SearchHandle search, FindEntry* entry) {
  return handout_.Next(search, entry);
}

bool SimulatedFiles::CloseFind(SearchHandle search) {
  return handout_.Close(search);
}

SysResult<std::uint32_t> SimulatedFiles::ReadCurrentDirectory(std::uint32_t bufferLength,
                                                              char16_t* buffer) {
  return real_.ReadCurrentDirectory(bufferLength, buffer);
}

SysResult<std::uint32_t> SimulatedFiles::ReadFullPathName(const char16_t* name,
                                                          std::uint32_t bufferLength,
                                                          char16_t* buffer) {
  return real_.ReadFullPathName(name, bufferLength, buffer);
}

SysResult<std::uint32_t> SimulatedFiles::ReadSystemDirectory(char16_t* buffer,
                                                             std::uint32_t bufferLength) {
  return {AnswerDirectory(buffer, bufferLength), 0};
}

SysResult<std::uint32_t> SimulatedFiles::ReadWindowsDirectory(char16_t* buffer,
                                                              std::uint32_t bufferLength) {
  return {AnswerDirectory(buffer, bufferLength), 0};
}

std::uint32_t SimulatedFiles::ReadFileAttributes(const char16_t* path) {
  if (std::u16string(path).rfind(kSimulatedSystemDirectory, 0) == 0) return kFileAttributeNormal;
  return real_.ReadFileAttributes(path);
}

SysResult<CertStoreHandle> RecordingCerts::OpenStore(CertStoreProvider provider,
                                                     std::uint32_t encoding, std::uint32_t flags,
                                                     const char16_t* parameter) {
  if (provider != CertStoreProvider::kFileName || parameter == nullptr) {
    return {CertStoreHandle{}, kErrorAccessDenied};
  }
  const SysResult<CertStoreHandle> store = real_.OpenStore(provider, encoding, flags, parameter);
  fileOpens.push_back({parameter, store.value != CertStoreHandle{}});
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

bool SimulatedPlatform::ReadNativeMachine(std::uint16_t* machine) {
  *machine = windows_.machine;
  return true;
}

bool SimulatedPlatform::ReadMachineAttributes(std::uint16_t machine, std::uint32_t* attributes) {
  if (!windows_.runsX64) return false;
  *attributes = machine == kMachineAmd64 || machine == windows_.machine ? kMachineUserEnabled : 0;
  return true;
}

bool SimulatedPlatform::CallIsWow64Process(ProcAddress, ProcessHandle, int* isWow64) {
  *isWow64 = windows_.machine != kMachineX86 ? 1 : 0;
  return true;
}

int SilentUi::ShowMessageBox(const std::u16string&, const std::u16string&, std::uint32_t) {
  ++messageBoxes;
  return kIdOk;
}
