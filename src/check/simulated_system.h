#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "check/check_inputs.h"
#include "check/listing_cache.h"
#include "check/package_platform.h"
#include "check/recorded_trace.h"
#include "common/win_errors.h"
#include "system/system.h"

// A system on which the launcher's own code can run without changing anything: package files
// and certificate files are read from the distribution through the real system, everything else
// (installed products, child processes, the Root store, message boxes, the platform) is made up
// and recorded. One instance serves one simulated run.

// A package that the simulated Windows refused as one for another platform.
struct PlatformRefusal {
  std::u16string path;
  PackagePlatform platform = PackagePlatform::kUnknown;
  bool atInstall = false;  // msiexec refused it; else MsiOpenPackageEx did
};

// The platform rule of the simulated Windows, shared by its installer and its msiexec: a package
// whose Template names a platform this kind of Windows does not run is refused with 1633.
class SimulatedPlatformRule {
 public:
  SimulatedPlatformRule(PackageSummaryReader& summaries, const WindowsKind& windows)
      : summaries_(summaries), windows_(windows) {}

  std::vector<PlatformRefusal> refusals;

  // True when this Windows runs the package at `path`, also when its Template cannot be read
  // (the real installer then reports its own error); otherwise the refusal is recorded.
  bool Accepts(const std::u16string& path, bool atInstall);

 private:
  PackageSummaryReader& summaries_;
  const WindowsKind& windows_;
};

// A product the simulated Windows Installer reports as installed.
struct SimulatedProduct {
  std::u16string version;  // "VersionString"
  // A package file of the distribution whose properties stand in for the installed product's
  // cached package. "LocalPackage" names the cached copy, in the installer's own folder.
  std::u16string localPackage;
};

class SimulatedInstaller : public InstallerApi {
 public:
  // `packages` opens and reads package files (read-only).
  SimulatedInstaller(PackageApi& packages, SimulatedPlatformRule& rule)
      : packages_(packages), rule_(rule) {}

  std::map<std::u16string, SimulatedProduct> installed;  // by product code

  void SetInternalUi(int) override {}
  int QueryProductState(const char16_t* product) override;
  // Every feature of an installed product is present.
  int QueryFeatureState(const char16_t* product, const char16_t* feature) override;
  std::uint32_t GetProductInfo(const char16_t* product, const char16_t* property, char16_t* buffer,
                               std::uint32_t* size) override;
  // 1633 for a package of another platform, as MsiOpenPackageEx answers; not for an installed
  // product's cached package, which this Windows did install.
  std::uint32_t OpenPackageEx(const char16_t* path, std::uint32_t options,
                              MsiHandle* handle) override;
  std::uint32_t GetProperty(MsiHandle handle, const char16_t* name, char16_t* buffer,
                            std::uint32_t* size) override;
  std::uint32_t CloseMsiHandle(MsiHandle handle) override;
  std::uint32_t SourceListClearAll(const char16_t*, const char16_t*, std::uint32_t) override {
    return 0;
  }
  std::uint32_t SourceListSetInfo(const char16_t*, const char16_t*, int, std::uint32_t,
                                  const char16_t*, const char16_t*) override {
    return 0;
  }

 private:
  PackageApi& packages_;
  SimulatedPlatformRule& rule_;
};

// Child processes that are never started: each command line is recorded and "ends" with 0, or
// with 1633 when the trace has it installing a package of another platform.
class RecordingProcesses : public ProcessApi {
 public:
  RecordingProcesses(SimulatedPlatformRule& rule, const RecordedTrace& trace)
      : rule_(rule), trace_(trace) {}

  SysResult<bool> StartProcess(const char16_t* applicationName, char16_t* commandLine,
                               std::uint32_t flags, ProcessHandles* handles) override;
  std::uint32_t WaitForObject(ProcessHandle, std::uint32_t) override { return 0; }
  bool ReadExitCode(ProcessHandle, std::uint32_t* exitCode) override;

 private:
  SimulatedPlatformRule& rule_;
  const RecordedTrace& trace_;
  std::uint32_t exitCode_ = 0;
};

// Directory listings, the current directory, full paths and the attributes of the distribution's
// files come from the real file system; the system programs are taken as present without
// looking. A listing is read whole and handed
// out in the real order, or in the order of a medium that lists one file first.
class SimulatedFiles : public FileApi {
 public:
  explicit SimulatedFiles(FileApi& real) : real_(real) {}

  // A package file one level down, as a full path, that this medium lists first: its folder
  // first in the current directory, and itself first in its folder. Empty: the real order.
  std::u16string listedFirst;

  SearchHandle FindFirst(const char16_t* pattern, FindEntry* entry) override;
  bool FindNext(SearchHandle search, FindEntry* entry) override;
  bool CloseFind(SearchHandle search) override;
  SysResult<std::uint32_t> ReadCurrentDirectory(std::uint32_t bufferLength,
                                                char16_t* buffer) override;
  SysResult<std::uint32_t> ReadFullPathName(const char16_t* name, std::uint32_t bufferLength,
                                            char16_t* buffer) override;
  SysResult<std::uint32_t> ReadSystemDirectory(char16_t* buffer,
                                               std::uint32_t bufferLength) override;
  SysResult<std::uint32_t> ReadWindowsDirectory(char16_t* buffer,
                                                std::uint32_t bufferLength) override;
  std::uint32_t ReadFileAttributes(const char16_t* path) override;

 private:
  // The entries of `pattern` in the real order, then moved for `listedFirst`.
  std::vector<FindEntry> ListInOrder(const std::u16string& pattern);

  FileApi& real_;
  ListingHandout handout_;
};

// Certificate files are opened through the real system and recorded; the Root store never
// opens, so nothing is ever added to it. Both refusals answer ERROR_ACCESS_DENIED.
class RecordingCerts : public CertApi {
 public:
  struct FileOpen {
    std::u16string path;
    bool opened = false;
  };

  explicit RecordingCerts(CertApi& real) : real_(real) {}

  std::vector<FileOpen> fileOpens;

  SysResult<CertStoreHandle> OpenStore(CertStoreProvider provider, std::uint32_t encoding,
                                       std::uint32_t flags, const char16_t* parameter) override;
  CertContextRef EnumCertificates(CertStoreHandle, CertContextRef) override { return nullptr; }
  SysResult<bool> AddCertificate(CertStoreHandle, CertContextRef, std::uint32_t) override {
    return {false, kErrorAccessDenied};
  }
  // Never reached: the simulated files yield no certificate to describe.
  bool GetCertificateProperty(CertContextRef, std::uint32_t, void*, std::uint32_t*) override {
    return false;
  }
  std::uint32_t GetNameString(CertContextRef, std::uint32_t, std::uint32_t, char16_t*,
                              std::uint32_t) override {
    return 1;
  }
  bool CloseStore(CertStoreHandle store, std::uint32_t flags) override;

 private:
  CertApi& real_;
};

// The kind of Windows asked for; the last error comes from the real system.
class SimulatedPlatform : public PlatformApi {
 public:
  SimulatedPlatform(PlatformApi& real, const WindowsKind& windows)
      : real_(real), windows_(windows) {}

  std::uint32_t LastError() override { return real_.LastError(); }
  ProcessHandle CurrentProcess() override { return kInvalidHandle<ProcessHandle>; }
  // Tokens separated by blanks (the simulated command lines hold no quotes).
  bool SplitCommandLine(const std::u16string& text, std::vector<std::u16string>* tokens) override;
  bool IsUserAdmin() override { return true; }
  bool ReadVersion(OsVersion*) override { return false; }
  bool ReadNtVersion(OsVersion*) override { return false; }
  ModuleHandle FindModule(const char16_t*) override { return 1; }
  ProcAddress FindProc(ModuleHandle, const char*) override { return 1; }
  // IsWow64Process2: the kind's machine.
  bool ReadNativeMachine(std::uint16_t* machine) override;
  // GetMachineTypeAttributes as Windows 11 answers it where the kind runs x64 programs; missing,
  // as on Windows 10, where it does not.
  bool ReadMachineAttributes(std::uint16_t machine, std::uint32_t* attributes) override;
  // WOW64 on every machine but x86.
  bool CallIsWow64Process(ProcAddress, ProcessHandle, int* isWow64) override;
  bool OpenToken(ProcessHandle, std::uint32_t, TokenHandle*) override { return false; }
  bool LookupPrivilege(const char16_t*, const char16_t*, Luid*) override { return false; }
  bool AdjustPrivilege(TokenHandle, bool, const Luid&, std::uint32_t) override { return false; }
  bool RunsAsServiceAccount() override { return false; }
  bool RequestExitWindows(std::uint32_t, std::uint32_t) override { return false; }
  bool RequestSystemShutdown(std::uint32_t, ShutdownCall*) override { return false; }
  void Wait(std::uint32_t) override {}

 protected:
  bool CloseKernelObject(std::uintptr_t) override { return true; }

 private:
  PlatformApi& real_;
  const WindowsKind& windows_;
};

// No window is ever shown; message boxes are counted and answered with OK.
class SilentUi : public UiApi {
 public:
  int messageBoxes = 0;

  int ShowMessageBox(const std::u16string&, const std::u16string&, std::uint32_t) override;
  ConfigDialogChoice ShowConfigDialog() override { return {}; }
  void CreateProgressThread(std::uint16_t) override {}
  void ResumeProgressThread() override {}
  void EndProgressThread() override {}
};

class NoResources : public ResourceApi {
 public:
  bool FindResourceBytes(std::uint16_t, std::uint16_t, const std::uint8_t**,
                         std::uint32_t*) override {
    return false;
  }
};

// The parts of the real system that a simulation reads from.
struct RealSystem {
  PackageApi& packages;  // package files opened read-only
  FileApi& files;
  CertApi& certs;
  PlatformApi& platform;
  PackageSummaryReader& summaries;
};

// A machine where nothing holds any file and nothing was ever postponed: no question is asked.
class NothingHeld final : public HoldersApi {
 public:
  bool HasRestartManager() override { return true; }
  SysResult<bool> ListHolders(const std::vector<std::u16string>&,
                              std::vector<FileHolder>* holders) override {
    holders->clear();
    return {true, 0};
  }
  SessionState ReadSessionState(std::uint32_t) override { return SessionState::kUnknown; }
  bool SendQuestions(const std::vector<SessionQuestion>&) override { return false; }
  std::vector<std::uint32_t> ReadAnswers() override { return {}; }
  std::uint32_t NowSeconds() override { return 0; }
  CalendarTime LocalNow() override { return {}; }
  SysResult<bool> ReadPostponement(std::u16string*) override { return {false, 2}; }
  SysResult<bool> WritePostponement(const std::u16string&) override { return {false, 5}; }
  SysResult<bool> DeletePostponement() override { return {false, 2}; }
};

// Everything one simulated run needs, wired into a System.
struct Simulation {
  Simulation(const RealSystem& real, const WindowsKind& windows)
      : rule(real.summaries, windows),
        installer(real.packages, rule),
        files(real.files),
        processes(rule, trace),
        certs(real.certs),
        platform(real.platform, windows) {}

  RecordedTrace trace;
  SimulatedPlatformRule rule;
  SimulatedInstaller installer;
  SimulatedFiles files;
  RecordingProcesses processes;
  RecordingCerts certs;
  SimulatedPlatform platform;
  SilentUi ui;
  NoResources resources;
  NothingHeld holders;
  System sys{installer, files,   processes, certs, platform, ui,
             resources, NoLog(), nullptr,   trace, nullptr,  &holders};
};
