// The core's package lookup, install command and process runner over the real Windows layer,
// under Wine, with packages built by wixl: what is found, what msiexec installs, what the
// source list names, and the exit codes that come back.
//
//   installer_operations_test <fixture packages directory>
//
// The directory is the packages/ directory of the built fixtures (one subdirectory per set).
// Every product installed here is removed again; the working copies live in a scratch
// directory under the temporary directory.
#include <windows.h>

#include <msi.h>

#include <string>
#include <vector>

#include "actions/package_install.h"
#include "actions/process_runner.h"
#include "common/product_catalogue.h"
#include "common/win_errors.h"
#include "installer/package_lookup.h"
#include "system/system.h"
#include "win32/certificate_stores.h"
#include "win32/kernel_files.h"
#include "win32/launcher/child_processes.h"
#include "win32/launcher/module_resources.h"
#include "win32/launcher/msi_installer.h"
#include "win32/launcher/windows_ui.h"
#include "win32/system_libraries.h"
#include "win32/tests/check.h"
#include "win32/wide_text.h"
#include "win32/windows_platform.h"

CheckLog checks;

namespace {

constexpr std::uint32_t kInstallFailure = 1603;
constexpr std::uint32_t kRestartRequired = 3010;
constexpr std::uint32_t kUnknownProduct = 1605;

// The real child processes, with every start's command line and every wait recorded.
class RecordingProcesses : public ProcessApi {
 public:
  SysResult<bool> StartProcess(const char16_t* applicationName, char16_t* commandLine,
                               std::uint32_t creationFlags, ProcessHandles* handles) override {
    started.emplace_back(commandLine);
    return real_.StartProcess(applicationName, commandLine, creationFlags, handles);
  }
  std::uint32_t WaitForObject(ProcessHandle handle, std::uint32_t milliseconds) override {
    ++waits;
    return real_.WaitForObject(handle, milliseconds);
  }
  bool ReadExitCode(ProcessHandle process, std::uint32_t* exitCode) override {
    return real_.ReadExitCode(process, exitCode);
  }
  void Clear() {
    started.clear();
    waits = 0;
  }

  std::vector<std::u16string> started;
  int waits = 0;

 private:
  ChildProcesses real_;
};

// The Windows layer as the launcher assembles it, with the child processes recorded.
struct WindowsSystem {
  WindowsSystem() { CHECK_EQ(libraries.Load(DllSearch::kStandard), 0u); }

  SystemLibraries libraries;  // msi.dll and crypt32.dll, taken from the system directory
  MsiInstaller installer{libraries.Msi()};
  KernelFiles files;
  RecordingProcesses processes;
  CertificateStores certs{libraries.Crypt()};
  WindowsPlatform platform;
  ModuleResources resources{GetModuleHandleW(nullptr)};
  WindowsUi ui{GetModuleHandleW(nullptr), resources};
  System sys{installer, files, processes, certs, platform, ui, resources};
};

std::u16string Join(const std::u16string& directory, const std::u16string& name) {
  return directory + u"\\" + name;
}

// A directory tree under the temporary directory, removed with everything in it at the end.
class ScratchTree {
 public:
  explicit ScratchTree(const std::u16string& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root_ = Utf16String(temp) + name;
    RemoveTree(root_);
    CHECK(CreateDirectoryW(Wide(root_), nullptr) != FALSE);
  }
  ~ScratchTree() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    SetCurrentDirectoryW(temp);
    RemoveTree(root_);
  }
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;

  const std::u16string& Root() const { return root_; }

  // Creates the subdirectory `relative` (one level) below the root.
  void MakeDirectory(const std::u16string& relative) {
    CHECK(CreateDirectoryW(Wide(Join(root_, relative)), nullptr) != FALSE);
  }
  // Copies `source` to `relative` below the root.
  void Copy(const std::u16string& source, const std::u16string& relative) {
    const bool copied = CopyFileW(Wide(source), Wide(Join(root_, relative)), FALSE) != FALSE;
    CHECK(copied);
    if (!copied) std::printf("    cannot copy a fixture: error %lu\n", GetLastError());
  }
  void Enter() { CHECK(SetCurrentDirectoryW(Wide(root_)) != FALSE); }

 private:
  static void RemoveTree(const std::u16string& path) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(Wide(Join(path, u"*")), &data);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::u16string name = Utf16String(data.cFileName);
        if (name == u"." || name == u"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(Join(path, name));
        } else {
          DeleteFileW(Wide(Join(path, name)));
        }
      } while (FindNextFileW(search, &data));
      FindClose(search);
    }
    RemoveDirectoryW(Wide(path));
  }

  std::u16string root_;
};

std::u16string packages;  // the fixture packages directory, from the command line

std::u16string Fixture(const std::u16string& set, const std::u16string& file) {
  return Join(Join(packages, set), file);
}

// The installer's own view of the plug-in product, read with the msi.dll calls directly.
int PluginState() {
  return MsiQueryProductStateW(Wide(kPluginProductCode));
}

std::u16string PluginVersion() {
  wchar_t buffer[64] = {};
  DWORD size = 64;
  if (MsiGetProductInfoW(Wide(kPluginProductCode), L"VersionString", buffer, &size) != 0) {
    return u"(unreadable)";
  }
  return Utf16String(buffer);
}

std::u16string PluginPackageName() {
  wchar_t buffer[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  const UINT result =
      MsiSourceListGetInfoW(Wide(kPluginProductCode), nullptr, MSIINSTALLCONTEXT_MACHINE,
                            MSICODE_PRODUCT, L"PackageName", buffer, &size);
  return result == 0 ? Utf16String(buffer) : u"(unreadable)";
}

// Removes the plug-in through the runner, as the launcher removes an older one.
void RemovePlugin(WindowsSystem& win) {
  CHECK_EQ(
      RunProcess(win.sys, std::u16string(u"msiexec /qn /x ") + kPluginProductCode + u" REBOOT=R"),
      0u);
  CHECK_EQ(PluginState(), -1);
}

// The package comes from the first subdirectory holding a match: neither the copy lying in
// the current directory itself nor the one under a directory whose name begins with a full
// stop is taken, and a subdirectory without a match is passed over. The system's msiexec
// installs it.
void PackageFoundOneLevelDownAndInstalled() {
  WindowsSystem win;
  ScratchTree tree(u"zirel-ops-lookup");
  tree.Copy(Fixture(u"plugin-1.0.0", u"zirelcom-x64.msi"), u"zirelcom-x64-top.msi");
  tree.MakeDirectory(u".svn");
  tree.Copy(Fixture(u"plugin-1.0.0", u"zirelcom-x64.msi"), u".svn\\zirelcom-x64-svn.msi");
  tree.MakeDirectory(u"docs");
  tree.Copy(Fixture(u"plugin-1.0.0", u"zirelcom-win32.msi"), u"docs\\zirelcom-win32.msi");
  tree.MakeDirectory(u"x64");
  tree.Copy(Fixture(u"plugin-2.0.0", u"zirelcom-x64.msi"), u"x64\\zirelcom-x64.msi");
  // A program named msiexec in the current directory is never the one that runs: here this
  // test program, which ends with 2 when started with msiexec's arguments. (A copy of one of
  // Wine's own programs would not do: Wine runs its built-in program of the copy's name.)
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  tree.Copy(Utf16String(self), u"msiexec.exe");
  tree.Enter();

  const std::u16string expected = Join(tree.Root(), u"x64\\zirelcom-x64.msi");
  std::u16string path = u"unchanged";
  CHECK_EQ(FindPackageFile(win.sys, u"zirelcom*x64*", path), 0u);
  CHECK_EQ(path, expected);
  path = u"unchanged";
  CHECK_EQ(FindPackageFile(win.sys, u"zirelcom*arm64*", path), kErrorNoMoreFiles);
  CHECK_EQ(path, std::u16string(u"unchanged"));

  CHECK_EQ(PluginState(), -1);
  CHECK_EQ(InstallPackage(win.sys, kPluginProductCode, u"zirelcom*x64*", u"", Prompts(true, true)),
           0u);
  CHECK_EQ(win.processes.started,
           std::vector<std::u16string>{u"msiexec /qn /i \"" + expected + u"\"  REBOOT=R"});
  CHECK_EQ(PluginState(), 5);
  CHECK_EQ(PluginVersion(), std::u16string(u"2.0.0"));
  CHECK_EQ(PluginPackageName(), std::u16string(u"zirelcom-x64.msi"));
  RemovePlugin(win);
}

// A distribution whose directory names and package file name hold blanks and Cyrillic
// letters: the quoted path reaches msiexec intact and the source list names the file.
void PackageInstalledFromPathWithBlanksAndCyrillicLetters() {
  WindowsSystem win;
  ScratchTree tree(u"zirel-ops \u0434\u0438\u0441\u0442\u0440\u0438\u0431\u0443\u0442\u0438\u0432");
  const std::u16string directory = u"\u043f\u0430\u043a\u0435\u0442\u044b x64";
  const std::u16string file = u"zirelcom-x64 \u0441\u0431\u043e\u0440\u043a\u0430 2.msi";
  tree.MakeDirectory(directory);
  tree.Copy(Fixture(u"plugin-2.0.0", u"zirelcom-x64.msi"), Join(directory, file));
  tree.Enter();

  CHECK_EQ(InstallPackage(win.sys, kPluginProductCode, u"zirelcom*x64*", u"ALLUSERS=1 ",
                          Prompts(true, true)),
           0u);
  CHECK_EQ(
      win.processes.started,
      std::vector<std::u16string>{u"msiexec /qn /i \"" + Join(Join(tree.Root(), directory), file) +
                                  u"\" ALLUSERS=1  REBOOT=R"});
  CHECK_EQ(PluginState(), 5);
  CHECK_EQ(PluginPackageName(), file);
  RemovePlugin(win);
}

// Exit codes as they come back from the runner: a program that does not exist fails before
// anything is started or waited for; msiexec's own failures and restarts come back whole
// (the shell outside Wine would see them cut to 8 bits).
void ExitCodesComeBackWhole() {
  WindowsSystem win;
  CHECK_EQ(RunProcess(win.sys, u"zirel-no-such-program /x"), kErrorFileNotFound);
  CHECK_EQ(RunProcess(win.sys, u""), kErrorFileNotFound);
  CHECK(win.processes.started.empty());
  CHECK_EQ(win.processes.waits, 0);

  CHECK_EQ(RunProcess(win.sys, std::u16string(u"msiexec /qn /x ") + kPluginProductCode),
           kUnknownProduct);
  CHECK_EQ(win.processes.waits, 1);

  ScratchTree tree(u"zirel-ops-exit-codes");
  tree.MakeDirectory(u"failing");
  tree.Copy(Fixture(u"plugin-2.0.0-fail", u"zirelcom-x64.msi"), u"failing\\zirelcom-x64.msi");
  tree.MakeDirectory(u"restarting");
  tree.Copy(Fixture(u"plugin-2.0.0-reboot-install", u"zirelcom-x64.msi"),
            u"restarting\\zirelcom-restart-x64.msi");
  tree.Enter();

  // The failing package is listed first; the restarting one is reached by its own name.
  win.processes.Clear();
  CHECK_EQ(
      RunProcess(win.sys, u"msiexec /qn /i \"" + Join(tree.Root(), u"failing\\zirelcom-x64.msi") +
                              u"\" REBOOT=R"),
      kInstallFailure);
  CHECK_EQ(InstallPackage(win.sys, kPluginProductCode, u"zirelcom*x64*", u"", Prompts(true, true)),
           kInstallFailure);
  CHECK_EQ(win.processes.started.size(), std::size_t{2});
  CHECK_EQ(PluginState(), -1);

  CHECK_EQ(
      InstallPackage(win.sys, kPluginProductCode, u"zirelcom-restart*", u"", Prompts(true, true)),
      kRestartRequired);
  CHECK_EQ(PluginState(), 5);
  CHECK_EQ(PluginPackageName(), std::u16string(u"zirelcom-restart-x64.msi"));

  // msiexec records the name of the package it installs itself, so the name above does not
  // show the launcher's own call; the same calls made directly rename it.
  CHECK_EQ(win.installer.SourceListClearAll(kPluginProductCode, nullptr, 0), 0u);
  CHECK_EQ(
      win.installer.SourceListSetInfo(kPluginProductCode, nullptr, kInstallContextMachine,
                                      kMsiCodeProduct, u"PackageName", u"\u0438\u043c\u044f 2.msi"),
      0u);
  CHECK_EQ(PluginPackageName(), std::u16string(u"\u0438\u043c\u044f 2.msi"));
  RemovePlugin(win);

  // No package: nothing is started and the lookup's code comes back.
  win.processes.Clear();
  CHECK_EQ(
      InstallPackage(win.sys, kPluginProductCode, u"zirelcom*arm64*", u"", Prompts(true, true)),
      kErrorNoMoreFiles);
  CHECK(win.processes.started.empty());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::printf("usage: installer_operations_test <fixture packages directory>\n");
    return 2;
  }
  packages = Utf16String(argv[1]);
  MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
  PackageFoundOneLevelDownAndInstalled();
  PackageInstalledFromPathWithBlanksAndCyrillicLetters();
  ExitCodesComeBackWhole();
  return checks.Finish();
}
