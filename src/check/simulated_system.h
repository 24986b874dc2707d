#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "system/system.h"

// A system on which the launcher's own code can run without changing anything: package files
// and certificate files are read from the distribution through the real system, everything else
// (installed products, child processes, the Root store, message boxes, the platform) is made up
// and recorded. One instance serves one simulated run.

// A product the simulated Windows Installer reports as installed.
struct SimulatedProduct {
  std::u16string version;       // "VersionString"
  std::u16string localPackage;  // "LocalPackage": a package file whose properties stand in
};

class SimulatedInstaller : public InstallerApi {
 public:
  // `packages` opens and reads package files (read-only); nothing else of it is called.
  explicit SimulatedInstaller(InstallerApi& packages) : packages_(packages) {}

  std::map<std::u16string, SimulatedProduct> installed;  // by product code
  std::vector<std::u16string> openedPackages;            // every package file opened, in order
  // The package opened right after an installed version was read: the one compared with it.
  std::u16string versionSource;

  void SetInternalUi(int) override {}
  int QueryProductState(const char16_t* product) override;
  // Every feature of an installed product is present.
  int QueryFeatureState(const char16_t* product, const char16_t* feature) override;
  std::uint32_t GetProductInfo(const char16_t* product, const char16_t* property, char16_t* buffer,
                               std::uint32_t* size) override;
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
  InstallerApi& packages_;
  bool versionRead_ = false;
};

// Child processes that are never started: each command line is recorded and "ends" with 0.
class RecordingProcesses : public ProcessApi {
 public:
  std::vector<std::u16string> commandLines;

  bool StartProcess(const char16_t* applicationName, char16_t* commandLine, std::uint32_t flags,
                    ProcessHandles* handles) override;
  std::uint32_t WaitForObject(SysHandle, std::uint32_t) override { return 0; }
  bool ReadExitCode(SysHandle, std::uint32_t* exitCode) override;
};

// Directory listings, the current directory and full paths come from the real file system;
// the system programs are taken as present without looking.
class SimulatedFiles : public FileApi {
 public:
  explicit SimulatedFiles(FileApi& real) : real_(real) {}

  std::vector<std::u16string> searches;  // every pattern given to FindFirst

  SysHandle FindFirst(const char16_t* pattern, FindEntry* entry) override;
  bool FindNext(SysHandle search, FindEntry* entry) override;
  bool CloseFind(SysHandle search) override;
  std::uint32_t ReadCurrentDirectory(std::uint32_t bufferLength, char16_t* buffer) override;
  std::uint32_t ReadFullPathName(const char16_t* name, std::uint32_t bufferLength,
                                 char16_t* buffer) override;
  std::uint32_t ReadSystemDirectory(char16_t* buffer, std::uint32_t bufferLength) override;
  std::uint32_t ReadWindowsDirectory(char16_t* buffer, std::uint32_t bufferLength) override;
  std::uint32_t ReadFileAttributes(const char16_t* path) override;

 private:
  FileApi& real_;
};

// Certificate files are opened through the real system and recorded; the Root store never
// opens, so nothing is ever added to it.
class RecordingCerts : public CertApi {
 public:
  struct FileOpen {
    std::u16string path;
    bool opened = false;
  };

  explicit RecordingCerts(CertApi& real) : real_(real) {}

  std::vector<FileOpen> fileOpens;

  CertStoreHandle OpenStore(CertStoreProvider provider, std::uint32_t encoding, std::uint32_t flags,
                            const char16_t* parameter) override;
  CertContextRef EnumCertificates(CertStoreHandle, CertContextRef) override { return nullptr; }
  bool AddCertificate(CertStoreHandle, CertContextRef, std::uint32_t) override { return false; }
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

// 32-bit or 64-bit Windows as asked; the last error comes from the real system.
class SimulatedPlatform : public PlatformApi {
 public:
  SimulatedPlatform(PlatformApi& real, bool wow64) : real_(real), wow64_(wow64) {}

  std::uint32_t LastError() override { return real_.LastError(); }
  bool CloseSysHandle(SysHandle) override { return true; }
  SysHandle CurrentProcess() override { return kInvalidSysHandle; }
  // Tokens separated by blanks (the simulated command lines hold no quotes).
  bool SplitCommandLine(const std::u16string& text, std::vector<std::u16string>* tokens) override;
  bool IsUserAdmin() override { return true; }
  bool ReadVersion(OsVersion*) override { return false; }
  bool ReadNtVersion(OsVersion*) override { return false; }
  ModuleHandle FindModule(const char16_t*) override { return 1; }
  ProcAddress FindProc(ModuleHandle, const char*) override { return 1; }
  bool CallIsWow64Process(ProcAddress, SysHandle, int* isWow64) override;
  bool OpenToken(SysHandle, std::uint32_t, SysHandle*) override { return false; }
  bool LookupPrivilege(const char16_t*, const char16_t*, Luid*) override { return false; }
  bool AdjustPrivilege(SysHandle, bool, const Luid&, std::uint32_t) override { return false; }
  bool RequestExitWindows(std::uint32_t, std::uint32_t) override { return false; }
  bool RequestSystemShutdown(std::uint32_t, ShutdownCall*) override { return false; }

 private:
  PlatformApi& real_;
  bool wow64_;
};

// No window is ever shown; message boxes are counted and answered with OK.
class SilentUi : public UiApi {
 public:
  int messageBoxes = 0;

  int ShowMessageBox(const std::u16string&, const std::u16string&, std::uint32_t) override;
  bool ShowConfigDialog(SetupOptions&) override { return false; }
  void CreateProgressThread(bool) override {}
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
  InstallerApi& packages;  // package files opened read-only
  FileApi& files;
  CertApi& certs;
  PlatformApi& platform;
};

// Everything one simulated run needs, wired into a System.
struct Simulation {
  Simulation(const RealSystem& real, bool wow64)
      : installer(real.packages),
        files(real.files),
        certs(real.certs),
        platform(real.platform, wow64) {}

  SimulatedInstaller installer;
  SimulatedFiles files;
  RecordingProcesses processes;
  RecordingCerts certs;
  SimulatedPlatform platform;
  SilentUi ui;
  NoResources resources;
  System sys{installer, files, processes, certs, platform, ui, resources};

  // The package path of the first "msiexec ... /i "<path>"" command run; empty when none ran.
  std::u16string InstalledPackage() const;
};
