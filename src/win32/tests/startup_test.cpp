#include "win32/tests/startup_test.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "common/number_text.h"
#include "common/win_errors.h"
#include "setup/command_line.h"
#include "system/run_log.h"
#include "system/system.h"
#include "ui/localized_strings.h"
#include "win32/launcher/child_processes.h"
#include "win32/launcher/module_resources.h"
#include "win32/launcher/startup_checks.h"
#include "win32/system_libraries.h"
#include "win32/tests/check.h"
#include "win32/tests/scratch_directory.h"
#include "win32/unattended_run.h"
#include "win32/wide_text.h"
#include "win32/windows_platform.h"

namespace {

bool Exists(const std::u16string& path) {
  return GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES;
}

std::u16string SystemDirectory() {
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  return std::u16string(Utf16(path), length);
}

std::u16string Lower(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return text;
}

// The directory a loaded module came from, in lower case.
std::u16string DirectoryOf(HMODULE module) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  std::u16string full(Utf16(path), length);
  return Lower(full.substr(0, full.find_last_of(u'\\')));
}

std::u16string TempDirectory() {
  wchar_t temp[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  return std::u16string(Utf16(temp), length);
}

// The trace DLL copied into `directory` as `name`; removed, with its trace, at the end.
class PlantedDll {
 public:
  PlantedDll(const std::u16string& marker, const std::u16string& directory,
             const std::u16string& name)
      : path_(directory + u"\\" + name) {
    CHECK(CopyFileW(Wide(marker), Wide(path_), FALSE) != FALSE);
  }
  ~PlantedDll() {
    DeleteFileW(Wide(path_));
    DeleteFileW(Wide(Trace()));
  }
  PlantedDll(const PlantedDll&) = delete;
  PlantedDll& operator=(const PlantedDll&) = delete;
  std::u16string Trace() const { return path_ + u".loaded"; }
  bool Loaded() const { return Exists(Trace()); }
  void Forget() const { DeleteFileW(Wide(Trace())); }

 private:
  std::u16string path_;
};

// Records every box instead of showing it.
class RecordingUi : public UiApi {
 public:
  struct Box {
    std::u16string text;
    std::u16string caption;
    std::uint32_t style;
  };
  int ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                     std::uint32_t style) override {
    boxes.push_back(Box{text, caption, style});
    return kIdOk;
  }
  ConfigDialogChoice ShowConfigDialog() override {
    ++otherCalls;
    return {};
  }
  void CreateProgressThread(std::uint16_t) override { ++otherCalls; }
  void ResumeProgressThread() override { ++otherCalls; }
  void EndProgressThread() override { ++otherCalls; }

  bool SomebodyCanSee() override { return canSee; }

  std::vector<Box> boxes;
  int otherCalls = 0;
  bool canSee = true;
};

// What start-up has before the libraries are loaded, with a recording user interface.
struct RecordingStart {
  // As the launcher reads `line` at start: whether the run is silent.
  static bool Silent(const std::u16string& line) {
    WindowsPlatform platform;
    return ReadCommandLine(platform, line).Silent();
  }
  std::uint32_t Prepare(const std::u16string& line, DllSearch search) {
    WindowsPlatform platform;
    return PrepareStart({ui, resources, log}, RunPrompts(ReadCommandLine(platform, line), ui),
                        search, libraries);
  }

  SystemLibraries libraries;
  ModuleResources resources{GetModuleHandleW(nullptr)};
  RecordingUi ui;
  RunLog& log = NoLog();
};

// "<this program>.local", created as a directory or a file and removed again.
class Redirection {
 public:
  explicit Redirection(bool directory) {
    wchar_t program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    path_ = std::u16string(Utf16(program), length) + u".local";
    name_ = path_.substr(path_.find_last_of(u'\\') + 1);
    if (directory) {
      CHECK(CreateDirectoryW(Wide(path_), nullptr) != FALSE);
    } else {
      HANDLE file = CreateFileW(Wide(path_), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
      CHECK(file != INVALID_HANDLE_VALUE);
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
  }
  ~Redirection() {
    if (!RemoveDirectoryW(Wide(path_))) DeleteFileW(Wide(path_));
  }
  const std::u16string& Name() const { return name_; }

 private:
  std::u16string path_;
  std::u16string name_;
};

// The hook of a failing child: creates the file named here (static, the hook must not allocate).
wchar_t failureMarker[MAX_PATH];
void LeaveFailureMarker() {
  HANDLE file = CreateFileW(failureMarker, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

UINT CurrentErrorMode() {
  const UINT mode = SetErrorMode(0);
  SetErrorMode(mode);
  return mode;
}

constexpr UINT kNoSystemBoxes =
    SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;
// Where the failing child keeps what it allocated, so that the allocation is not left out.
void* volatile kept = nullptr;

constexpr char16_t kCaption[] = u"Vestacor Signavel";

}  // namespace

DllSearch CheckDllSearch(const std::u16string& marker) {
  // Names that only the current directory, or only this program's directory, hold (msi.dll
  // there would tell nothing for the current directory: the standard search looks in the
  // system directory first).
  const std::u16string home = TempDirectory();
  const ScratchDirectory current;
  const PlantedDll inCurrent(marker, current.Path(), u"zirelplanted.dll");
  const PlantedDll besideProgram(marker, DirectoryOf(nullptr), u"zirelplanted-app.dll");
  SetCurrentDirectoryW(Wide(current.Path()));

  // The standard search finds both: the traces work.
  for (const PlantedDll* planted : {&inCurrent, &besideProgram}) {
    const wchar_t* name = planted == &inCurrent ? L"zirelplanted.dll" : L"zirelplanted-app.dll";
    SetLastError(0);
    CHECK(LoadLibraryW(name) == nullptr);  // DllMain refuses
    CHECK_EQ(GetLastError(), kErrorDllInitFailed);
    CHECK(planted->Loaded());
    planted->Forget();
  }

  // Loaded by full path, the system's own DLL, and nothing that is only elsewhere, also while
  // the search is not narrowed yet.
  const std::u16string system = Lower(SystemDirectory());
  for (DllSearch mode : {DllSearch::kWithoutCurrentDirectory, DllSearch::kStandard}) {
    OwnedModule msi(LoadSystemLibrary(L"msi.dll", mode));
    CHECK(msi.Valid());
    CHECK_EQ(DirectoryOf(msi.Get()), system);
    for (const wchar_t* name : {L"zirelplanted.dll", L"zirelplanted-app.dll"}) {
      SetLastError(0);
      CHECK(LoadSystemLibrary(name, mode) == nullptr);
      CHECK_EQ(GetLastError(), kErrorModNotFound);
    }
  }

  // Narrowed: neither directory is searched any more, by any load.
  const DllSearch search = RestrictDllSearch();
  CHECK_EQ(static_cast<int>(search), static_cast<int>(DllSearch::kSystemDirectoryOnly));
  for (const wchar_t* name : {L"zirelplanted.dll", L"zirelplanted-app.dll"}) {
    SetLastError(0);
    CHECK(LoadLibraryW(name) == nullptr);
    CHECK_EQ(GetLastError(), kErrorModNotFound);
    SetLastError(0);
    CHECK(LoadSystemLibrary(name, search) == nullptr);
    CHECK_EQ(GetLastError(), kErrorModNotFound);
  }
  OwnedModule byName(LoadLibraryW(L"msi.dll"));
  CHECK_EQ(DirectoryOf(byName.Get()), system);
  OwnedModule msi(LoadSystemLibrary(L"msi.dll", search));
  CHECK_EQ(DirectoryOf(msi.Get()), system);
  CHECK(!inCurrent.Loaded());
  CHECK(!besideProgram.Loaded());
  SetCurrentDirectoryW(Wide(home));
  return search;
}

void CheckStartPreparation(DllSearch search) {
  // Function tables: all or nothing.
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  MsiFunctions msi;
  CHECK_EQ(ResolveMsiFunctions(kernel, &msi), kErrorProcNotFound);
  CHECK(msi.setInternalUi == nullptr && msi.queryProductState == nullptr);
  CryptFunctions crypt;
  CHECK_EQ(ResolveCryptFunctions(kernel, &crypt), kErrorProcNotFound);
  CHECK(crypt.openStore == nullptr);
  {
    OwnedModule msiModule(LoadSystemLibrary(L"msi.dll", search));
    OwnedModule cryptModule(LoadSystemLibrary(L"crypt32.dll", search));
    CHECK_EQ(ResolveMsiFunctions(msiModule.Get(), &msi), 0u);
    CHECK(msi.setInternalUi && msi.queryProductState && msi.queryFeatureState &&
          msi.getProductInfo && msi.getComponentPath && msi.openPackageEx && msi.getProperty &&
          msi.closeHandle && msi.sourceListClearAll && msi.sourceListSetInfo && msi.openDatabase &&
          msi.openView && msi.execute && msi.fetch && msi.recordString && msi.summaryInformation &&
          msi.summaryProperty);
    CHECK_EQ(ResolveCryptFunctions(cryptModule.Get(), &crypt), 0u);
    CHECK(crypt.openStore && crypt.enumCertificates && crypt.addCertificate && crypt.closeStore);
  }

  // The -silent reading, with CommandLineToArgvW: only a line that the driver accepts is
  // silent, and a silent start that is refused shows no box.
  {
    struct Case {
      std::u16string line;
      bool silent;
    };
    const Case cases[] = {
        {u"", false},
        {u"-silent", true},
        {u"-SILENT", true},
        {u"-csp -ucsp -silent -ZirelArgs \"A=1\"", true},
        {u"-ZirelArgs -silent", false},  // the value of -ZirelArgs
        {u"-silent -bogus", false},      // answered with the help
        {u"-help -silent", false},
        {u"-silent -ZirelArgs", false},  // value missing: the help
        {u"-csp", false},
    };
    const Redirection redirection(true);
    for (const Case& row : cases) {
      CHECK_EQ(RecordingStart::Silent(row.line), row.silent);
      RecordingStart world;
      CHECK_EQ(world.Prepare(row.line, search), kExitDllRedirection);
      CHECK_EQ(world.ui.boxes.size(), std::size_t{row.silent ? 0u : 1u});
      CHECK_EQ(world.ui.otherCalls, 0);
    }
  }

  CHECK_EQ(DllRedirectionText(u"setup.exe.local"),
           std::u16string(u"Рядом с программой установки найдено перенаправление системных "
                          u"библиотек: «setup.exe.local».\nУдалите этот файл или папку и "
                          u"запустите установку снова."));
  CHECK_EQ(LibraryFailureText(u"msi.dll", 126),
           std::u16string(u"Не удалось загрузить системную библиотеку msi.dll: 126."));
  CHECK_EQ(LibraryFailureText(u"crypt32.dll", 4294967295u),
           std::u16string(u"Не удалось загрузить системную библиотеку crypt32.dll: 4294967295."));

  // A redirection next to the program, as a directory or as a file: refused before any
  // library is loaded, with a box unless -silent.
  CHECK_EQ(FindDllRedirection(), std::u16string());
  for (bool directory : {true, false}) {
    Redirection redirection(directory);
    CHECK_EQ(FindDllRedirection(), redirection.Name());
    struct Case {
      std::u16string line;
      std::size_t boxes;
      bool canSee;
    };
    for (const Case& row : {Case{u"", 1, true}, Case{u"-csp -silent", 0, true},
                            Case{u"-silent -x", 1, true}, Case{u"", 0, false}}) {
      RecordingStart world;
      world.ui.canSee = row.canSee;
      CHECK_EQ(world.Prepare(row.line, search), kExitDllRedirection);
      CHECK_EQ(world.ui.boxes.size(), row.boxes);
      if (world.ui.boxes.size() == 1) {
        CHECK_EQ(world.ui.boxes[0].text, DllRedirectionText(redirection.Name()));
        CHECK_EQ(world.ui.boxes[0].caption, std::u16string(kCaption));
        CHECK_EQ(world.ui.boxes[0].style, kMbIconError);
      }
      CHECK(world.libraries.Msi().setInternalUi == nullptr);  // nothing loaded
      CHECK(world.libraries.Crypt().openStore == nullptr);
    }
  }
  CHECK_EQ(FindDllRedirection(), std::u16string());

  // Nothing next to the program: both libraries are loaded from the system directory.
  RecordingStart world;
  CHECK_EQ(world.Prepare(u"", search), 0u);
  CHECK(world.ui.boxes.empty());
  CHECK(world.libraries.Msi().queryProductState != nullptr);
  CHECK(world.libraries.Crypt().openStore != nullptr);
  CHECK_EQ(std::u16string(Utf16(world.libraries.failedLibrary())), std::u16string());
  CHECK_EQ(DirectoryOf(GetModuleHandleW(L"msi.dll")), Lower(SystemDirectory()));
  CHECK_EQ(DirectoryOf(GetModuleHandleW(L"crypt32.dll")), Lower(SystemDirectory()));
}

int FailInternallyAsChild(const std::u16string& commandLine, const std::u16string& marker) {
  SetErrorMode(0);  // not the mode inherited from the test
  RecordingStart world;
  const bool unseen = commandLine == u"(unseen)";  // no -silent, nobody can see
  world.ui.canSee = !unseen;
  if (world.Prepare(unseen ? u"" : commandLine, RestrictDllSearch()) != 0) return 5;
  const bool unattended = unseen || commandLine == u"-silent";
  if (CurrentErrorMode() != (unattended ? kNoSystemBoxes : 0u)) return 6;
  lstrcpynW(failureMarker, Wide(marker), MAX_PATH);
  SetInternalFailureHook(LeaveFailureMarker);
  volatile std::size_t beyondTheAddressSpace = std::size_t{3} << 30;
  kept = ::operator new(beyondTheAddressSpace);
  return 7;
}

void CheckInternalFailureExit() {
  wchar_t program[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
  const std::u16string marker =
      TempDirectory() + u"zirel-failure-hook-" + DecimalText(GetCurrentProcessId());
  constexpr std::uint32_t kAbortExitCode = 3;
  struct Case {
    std::u16string line;
    std::uint32_t exitCode;
  };
  for (const Case& row : {Case{u"-silent", kExitInternalFailure},
                          Case{u"(unseen)", kExitInternalFailure}, Case{u"", kAbortExitCode}}) {
    DeleteFileW(Wide(marker));
    std::u16string command = u"\"" + std::u16string(Utf16(program), length) +
                             u"\" --fail-internally \"" + marker + u"\" \"" + row.line + u"\"";
    ChildProcesses processes;
    ProcessHandles handles;
    CHECK(processes.StartProcess(nullptr, &command[0], kCreateNoWindow, &handles).value);
    const KernelHandle process(HandleOf(handles.process));
    const KernelHandle thread(HandleOf(handles.thread));
    CHECK_EQ(processes.WaitForObject(handles.process, 30000), 0u);
    std::uint32_t code = 0xDEAD;
    CHECK(processes.ReadExitCode(handles.process, &code));
    CHECK_EQ(code, row.exitCode);
    CHECK(Exists(marker));  // the hook ran first
  }
  DeleteFileW(Wide(marker));
}
