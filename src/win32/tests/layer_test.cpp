// The Windows layer against the real system calls, run under Wine: what each wrapper passes
// and hands back, and that every handle it gives out can be closed exactly once.
#include <windows.h>

#include <aclapi.h>
#include <wincrypt.h>

#include <string>
#include <vector>

#include "common/win_errors.h"
#include "log/file_run_log.h"
#include "system/system.h"
#include "ui/localized_strings.h"
#include "ui/string_ids.h"
#include "win32/certificate_stores.h"
#include "win32/handles.h"
#include "win32/kernel_files.h"
#include "win32/launcher/child_processes.h"
#include "win32/launcher/com_apartment.h"
#include "win32/launcher/log_file_security.h"
#include "win32/launcher/module_resources.h"
#include "win32/launcher/msi_installer.h"
#include "win32/launcher/temp_log_files.h"
#include "win32/launcher/viewer_facts_reader.h"
#include "win32/launcher/windows_ui.h"
#include "win32/system_libraries.h"
#include "win32/tests/check.h"
#include "win32/tests/scratch_directory.h"
#include "win32/tests/startup_test.h"
#include "win32/unattended_run.h"
#include "win32/wide_text.h"
#include "win32/windows_platform.h"

CheckLog checks;

// WindowsResume's checks, in resume_layer_test.cpp; MsiTables', in tables_layer_test.cpp.
void CheckResumeCalls(DllSearch search);
void CheckTableCalls(const MsiFunctions& msi);

namespace {

// msi.dll and crypt32.dll as the launcher loads them; filled in wmain.
SystemLibraries libraries;

constexpr char16_t kUnknownProduct[] = u"{00000000-1111-2222-3333-444444444444}";

bool HandleIsOpen(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

void OwnedHandlesCloseOnceAndMove() {
  HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  {
    KernelHandle owner(raw);
    CHECK(owner.Valid());
    CHECK(HandleIsOpen(raw));
  }
  CHECK(!HandleIsOpen(raw));

  HANDLE moved = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  KernelHandle target;
  {
    KernelHandle source(moved);
    target = std::move(source);
    CHECK(!source.Valid());
  }
  CHECK(HandleIsOpen(moved));  // the moved-from owner closed nothing
  HANDLE second = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  target.Reset(second);
  CHECK(!HandleIsOpen(moved));
  CHECK(HandleIsOpen(second));
  HANDLE released = target.Release();
  CHECK(!target.Valid());
  CHECK(HandleIsOpen(released));
  CloseHandle(released);

  // The current-process pseudo handle is never closed.
  { KernelHandle pseudo(GetCurrentProcess()); }
  CHECK(GetProcessId(GetCurrentProcess()) == GetCurrentProcessId());
}

void ChildProcessesRunAndReportExitCodes() {
  ChildProcesses processes;
  WindowsPlatform platform;
  struct Case {
    std::u16string commandLine;
    std::uint32_t exitCode;
  };
  for (const Case& row : {Case{u"cmd /c exit 3010", 3010}, Case{u"cmd /c exit 1603", 1603},
                          Case{u"cmd /c exit 0", 0}}) {
    std::u16string buffer = row.commandLine;
    ProcessHandles handles;
    CHECK(processes.StartProcess(nullptr, &buffer[0], kCreateNoWindow, &handles).value);
    CHECK_EQ(processes.WaitForObject(handles.process, kInfinite), 0u);
    std::uint32_t code = 0xDEAD;
    CHECK(processes.ReadExitCode(handles.process, &code));
    CHECK_EQ(code, row.exitCode);
    CHECK(platform.CloseSysHandle(handles.process));
    CHECK(platform.CloseSysHandle(handles.thread));
    CHECK(!platform.CloseSysHandle(handles.thread));  // closed once only
  }

  std::u16string missing = u"zirel-no-such-program /x";
  ProcessHandles none;
  const SysResult<bool> notStarted =
      processes.StartProcess(nullptr, &missing[0], kCreateNoWindow, &none);
  CHECK(!notStarted.value);
  CHECK_EQ(notStarted.error, 2u);  // ERROR_FILE_NOT_FOUND
  CHECK_EQ(none.process, ProcessHandle{});
  CHECK_EQ(none.thread, ThreadHandle{});

  std::u16string empty;
  empty.push_back(u'\0');
  const SysResult<bool> emptyStart =
      processes.StartProcess(nullptr, &empty[0], kCreateNoWindow, &none);
  CHECK(!emptyStart.value);
  CHECK(emptyStart.error != 0);
}

void CommandLinesSplitLikeTheSystem() {
  WindowsPlatform platform;
  struct Case {
    std::u16string text;
    std::vector<std::u16string> tokens;
  };
  const Case cases[] = {
      {u"", {}},
      {u"-silent", {u"-silent"}},
      {u"-csp -CSPArgs \"A=1 B=2\"", {u"-csp", u"-CSPArgs", u"A=1 B=2"}},
      {u"-ZirelArgs  \"X=\\\"q\\\"\"\t-ucsp", {u"-ZirelArgs", u"X=\"q\"", u"-ucsp"}},
      {u"-Lang \u0440\u0443\u0441", {u"-Lang", u"\u0440\u0443\u0441"}},
      {u"-KC \"\"", {u"-KC", u""}},
  };
  for (const Case& row : cases) {
    std::vector<std::u16string> tokens{u"left over"};
    CHECK(platform.SplitCommandLine(row.text, &tokens));
    CHECK_EQ(tokens, row.tokens);
  }
}

void FilesAreFoundAndPathsRead() {
  KernelFiles files;
  WindowsPlatform platform;
  ScratchDirectory dir;
  dir.Write(u"a1.txt", "1", 1);
  dir.Write(u"a2.txt", "2", 1);
  dir.Write(u"b.dat", "3", 1);

  FindEntry entry;
  SearchHandle search = files.FindFirst((dir.Path() + u"\\a*.txt").c_str(), &entry);
  CHECK(search != kInvalidHandle<SearchHandle>);
  std::vector<std::u16string> names{entry.name};
  while (files.FindNext(search, &entry)) names.push_back(entry.name);
  CHECK_EQ(platform.LastError(), 18u);  // ERROR_NO_MORE_FILES
  CHECK_EQ(names, (std::vector<std::u16string>{u"a1.txt", u"a2.txt"}));
  CHECK(files.CloseFind(search));

  CHECK_EQ(files.FindFirst((dir.Path() + u"\\*.cer").c_str(), &entry),
           kInvalidHandle<SearchHandle>);
  CHECK_EQ(platform.LastError(), 2u);  // ERROR_FILE_NOT_FOUND

  CHECK((files.ReadFileAttributes(dir.Path().c_str()) & kFileAttributeDirectory) != 0);
  CHECK_EQ(files.ReadFileAttributes((dir.Path() + u"\\b.dat").c_str()) & kFileAttributeDirectory,
           0u);
  CHECK_EQ(files.ReadFileAttributes((dir.Path() + u"\\none").c_str()), kInvalidFileAttributes);

  SetCurrentDirectoryW(Wide(dir.Path()));
  char16_t buffer[kMaxPath];
  std::uint32_t length = files.ReadCurrentDirectory(kMaxPath, buffer).value;
  CHECK_EQ(std::u16string(buffer, length), dir.Path());
  CHECK_EQ(files.ReadCurrentDirectory(3, buffer).value, length + 1);  // too small: the size needed

  length = files.ReadFullPathName(u"x.cer", kMaxPath, buffer).value;
  CHECK_EQ(std::u16string(buffer, length), dir.Path() + u"\\x.cer");
  CHECK_EQ(files.ReadFullPathName(u"x.cer", 4, buffer).value, length + 1);
  // A name the system refuses answers 0 and the system's error with it.
  const SysResult<std::uint32_t> empty = files.ReadFullPathName(u"", kMaxPath, buffer);
  CHECK_EQ(empty.value, 0u);
  CHECK(empty.error != 0);

  length = files.ReadSystemDirectory(buffer, kMaxPath).value;
  CHECK(length > 3 && length < kMaxPath);
  CHECK((files.ReadFileAttributes(buffer) & kFileAttributeDirectory) != 0);
  length = files.ReadWindowsDirectory(buffer, kMaxPath).value;
  CHECK(length > 3 && length < kMaxPath);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  SetCurrentDirectoryW(temp);
}

void PlatformQueries() {
  WindowsPlatform platform;
  OsVersion version;
  version.size = 284;
  CHECK(platform.ReadVersion(&version));
  CHECK(version.major >= 5);
  OsVersion basic;
  basic.size = 276;
  CHECK(platform.ReadVersion(&basic));
  CHECK_EQ(basic.major, version.major);
  CHECK_EQ(basic.servicePackMajor, std::uint16_t{0});  // the basic record has no service pack
  OsVersion wrong;
  wrong.size = 100;
  CHECK(!platform.ReadVersion(&wrong));
  wrong.size = 400;
  CHECK(!platform.ReadVersion(&wrong));

  // RtlGetVersion, found in ntdll at run time: never below what GetVersionExW says, with a build.
  OsVersion nt;
  nt.size = 284;
  CHECK(platform.ReadNtVersion(&nt));
  CHECK(nt.major > version.major || (nt.major == version.major && nt.minor >= version.minor));
  CHECK(nt.build > 0);
  OsVersion ntBasic;
  ntBasic.size = 276;
  CHECK(platform.ReadNtVersion(&ntBasic));
  CHECK_EQ(ntBasic.build, nt.build);
  CHECK_EQ(ntBasic.servicePackMajor, std::uint16_t{0});
  wrong.size = 400;
  CHECK(!platform.ReadNtVersion(&wrong));

  ModuleHandle kernel = platform.FindModule(u"kernel32");
  CHECK(kernel != 0);
  CHECK_EQ(platform.FindModule(u"zirel-no-such-module"), ModuleHandle{0});
  CHECK_EQ(platform.FindProc(kernel, "ZirelNoSuchFunction"), ProcAddress{0});
  ProcAddress isWow64 = platform.FindProc(kernel, "IsWow64Process");
  CHECK(isWow64 != 0);
  if (isWow64 != 0) {
    SYSTEM_INFO native{};
    GetNativeSystemInfo(&native);
    int answer = 7;
    CHECK(platform.CallIsWow64Process(isWow64, platform.CurrentProcess(), &answer));
    CHECK_EQ(answer, native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? 1 : 0);
  }

  TokenHandle token{};
  CHECK(
      platform.OpenToken(platform.CurrentProcess(), kTokenAdjustPrivileges | kTokenQuery, &token));
  Luid luid;
  CHECK(platform.LookupPrivilege(nullptr, u"SeShutdownPrivilege", &luid));
  CHECK_EQ(luid.lowPart, 19u);  // SE_SHUTDOWN_PRIVILEGE
  CHECK_EQ(luid.highPart, 0);
  CHECK(!platform.LookupPrivilege(nullptr, u"ZirelNoSuchPrivilege", &luid));
  SetLastError(1234);
  CHECK(platform.AdjustPrivilege(token, false, Luid{19, 0}, kSePrivilegeEnabled));
  CHECK_EQ(platform.LastError(), 0u);  // granted: the adjustment leaves 0
  CHECK(platform.CloseSysHandle(token));
  CHECK(!platform.CloseSysHandle(token));
  // ExitWindowsEx is not called here: under Wine it ends every process of the prefix.

  // The test runs on the visible station WinSta0, in a user's session.
  const ViewerFacts facts = ReadViewerFacts();
  CHECK(facts.stationFlags.has_value() && (*facts.stationFlags & WSF_VISIBLE) != 0);
  DWORD session = 0;
  CHECK(ProcessIdToSessionId(GetCurrentProcessId(), &session));
  CHECK(facts.sessionId == std::optional<std::uint32_t>(session));
  CHECK_EQ(facts.majorVersion, version.major);
}

void CertificatesAreReadFromFilesAndAdded() {
  CertificateStores certs(libraries.Crypt());
  ScratchDirectory dir;
  dir.Write(u"text.cer", "not a certificate", 17);
  const SysResult<CertStoreHandle> text = certs.OpenStore(
      CertStoreProvider::kFileName, kCertEncoding, 0, (dir.Path() + u"\\text.cer").c_str());
  CHECK_EQ(text.value, CertStoreHandle{0});
  CHECK(text.error != 0);
  // With flags 0 a missing file opens as an empty store, as the system defines it.
  CertStoreHandle missing = certs
                                .OpenStore(CertStoreProvider::kFileName, kCertEncoding, 0,
                                           (dir.Path() + u"\\none.cer").c_str())
                                .value;
  CHECK(missing != CertStoreHandle{});
  CHECK(certs.EnumCertificates(missing, nullptr) == nullptr);
  CHECK(certs.CloseStore(missing, 0));

  CertStoreHandle root =
      certs.OpenStore(CertStoreProvider::kSystem, kCertEncoding, kSystemStoreLocalMachine, u"Root")
          .value;
  CHECK(root != CertStoreHandle{});
  if (root == CertStoreHandle{}) return;
  // Write the first root certificate out as a DER file and read it back through the layer.
  auto first = static_cast<PCCERT_CONTEXT>(certs.EnumCertificates(root, nullptr));
  CHECK(first != nullptr);
  if (first == nullptr) {
    certs.CloseStore(root, 0);
    return;
  }
  dir.Write(u"one.cer", first->pbCertEncoded, first->cbCertEncoded);
  std::vector<BYTE> encoded(first->pbCertEncoded, first->pbCertEncoded + first->cbCertEncoded);
  CertFreeCertificateContext(first);
  CHECK(certs.CloseStore(root, 0));

  CertStoreHandle file = certs
                             .OpenStore(CertStoreProvider::kFileName, kCertEncoding, 0,
                                        (dir.Path() + u"\\one.cer").c_str())
                             .value;
  CHECK(file != CertStoreHandle{});
  if (file == CertStoreHandle{}) return;
  OwnedCertStore memory(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
  int count = 0;
  for (CertContextRef cert = certs.EnumCertificates(file, nullptr); cert != nullptr;
       cert = certs.EnumCertificates(file, cert)) {
    ++count;
    CHECK(
        certs.AddCertificate(SysHandleOf<CertStoreHandle>(memory.Get()), cert, kCertStoreAddAlways)
            .value);
  }
  CHECK_EQ(count, 1);
  CHECK(certs.CloseStore(file, 0));
  PCCERT_CONTEXT added = CertEnumCertificatesInStore(memory.Get(), nullptr);
  CHECK(added != nullptr);
  if (added != nullptr) {
    CHECK(std::vector<BYTE>(added->pbCertEncoded, added->pbCertEncoded + added->cbCertEncoded) ==
          encoded);
    CertFreeCertificateContext(added);
  }
}

// The log file is made only where no file is, may be read but not written by others while it
// is open, and holds every byte written as soon as WriteFile returns.
void LogFilesAreNewAndWrittenThrough() {
  TempLogFiles logFiles;
  WindowsPlatform platform;
  ScratchDirectory dir;
  dir.Write(u"taken.log", "old", 3);
  const std::u16string taken = dir.Path() + u"\\taken.log";
  const SysResult<FileHandle> refused = logFiles.CreateNewFile(taken.c_str());
  CHECK_EQ(refused.value, kInvalidHandle<FileHandle>);
  CHECK_EQ(refused.error, kErrorFileExists);
  KernelHandle old(CreateFileW(Wide(taken), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  CHECK_EQ(GetFileSize(old.Get(), nullptr), 3u);

  const std::u16string path = dir.Path() + u"\\new.log";
  const FileHandle file = logFiles.CreateNewFile(path.c_str()).value;
  CHECK(file != kInvalidHandle<FileHandle>);
  CHECK(logFiles.WriteToFile(file, "line\r\n", 6));
  KernelHandle reader(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  CHECK(reader.Valid());
  CHECK_EQ(GetFileSize(reader.Get(), nullptr), 6u);
  KernelHandle writer(CreateFileW(Wide(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  CHECK(!writer.Valid());
  CHECK_EQ(platform.LastError(), 32u);  // ERROR_SHARING_VIOLATION
  CHECK(logFiles.CloseFile(file));
}

// The user of this process's token.
struct ProcessUser {
  ProcessUser() {
    KernelHandle token;
    DWORD size = 0;
    CHECK(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()));
    CHECK(GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &size));
  }
  PSID Sid() { return reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid; }
  DWORD buffer[(sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE) / sizeof(DWORD)] = {};
};

struct WellKnownSid {
  explicit WellKnownSid(WELL_KNOWN_SID_TYPE type) {
    DWORD size = sizeof buffer;
    CHECK(CreateWellKnownSid(type, nullptr, buffer, &size));
  }
  PSID Sid() { return buffer; }
  DWORD buffer[SECURITY_MAX_SID_SIZE / sizeof(DWORD)] = {};
};

// Whether every entry of `dacl` grants access to SYSTEM, the Administrators or `user` only.
bool OnlySystemAdministratorsAndUser(PACL dacl, PSID user) {
  WellKnownSid system(WinLocalSystemSid);
  WellKnownSid administrators(WinBuiltinAdministratorsSid);
  for (DWORD index = 0; dacl != nullptr && index < dacl->AceCount; ++index) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (!GetAce(dacl, index, reinterpret_cast<void**>(&ace))) return false;
    const PSID sid = &ace->SidStart;
    if (!EqualSid(sid, system.Sid()) && !EqualSid(sid, administrators.Sid()) &&
        !EqualSid(sid, user)) {
      return false;
    }
  }
  return dacl != nullptr;
}

// The DACL of the file at `path` as the system reports it.
bool FileGrantsOnlySystemAdministratorsAndUser(const std::u16string& path, PSID user) {
  PACL dacl = nullptr;
  LocalMemory descriptor;
  const DWORD read =
      GetNamedSecurityInfoW(Wide(path), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            &dacl, nullptr, reinterpret_cast<void**>(descriptor.Receive()));
  CHECK_EQ(read, DWORD{ERROR_SUCCESS});
  return read == ERROR_SUCCESS && OnlySystemAdministratorsAndUser(dacl, user);
}

// The descriptor a log is created with: a protected DACL with exactly three entries, no
// inheritance flags: SYSTEM and the Administrators full control, the token's user read and
// write. The file made with it grants nobody else anything: Wine turns the DACL into the
// file's Unix mode and reports that back, where a file made with the default descriptor in the
// same folder grants Everyone read access.
void LogFilesGetAProtectedDacl() {
  LogFileSecurity security;
  CHECK(security.Build());
  const auto descriptor = security.Attributes()->lpSecurityDescriptor;
  CHECK_EQ(security.Attributes()->nLength, DWORD{sizeof(SECURITY_ATTRIBUTES)});
  CHECK(!security.Attributes()->bInheritHandle);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  CHECK(GetSecurityDescriptorControl(descriptor, &control, &revision));
  CHECK_EQ(
      static_cast<unsigned>(control & (SE_DACL_PRESENT | SE_DACL_PROTECTED | SE_DACL_DEFAULTED)),
      unsigned{SE_DACL_PRESENT | SE_DACL_PROTECTED});
  BOOL present = FALSE;
  BOOL defaulted = TRUE;
  PACL dacl = nullptr;
  CHECK(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
  CHECK(present && !defaulted && dacl != nullptr);
  if (dacl == nullptr) return;
  ProcessUser user;
  WellKnownSid system(WinLocalSystemSid);
  WellKnownSid administrators(WinBuiltinAdministratorsSid);
  struct Grant {
    PSID sid;
    DWORD mask;
  };
  const Grant expected[] = {{system.Sid(), FILE_ALL_ACCESS},
                            {administrators.Sid(), FILE_ALL_ACCESS},
                            {user.Sid(), FILE_GENERIC_READ | FILE_GENERIC_WRITE}};
  CHECK_EQ(unsigned{dacl->AceCount}, 3u);
  for (DWORD index = 0; index < dacl->AceCount && index < 3; ++index) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    CHECK(GetAce(dacl, index, reinterpret_cast<void**>(&ace)));
    if (ace == nullptr) continue;
    CHECK_EQ(unsigned{ace->Header.AceType}, unsigned{ACCESS_ALLOWED_ACE_TYPE});
    CHECK_EQ(unsigned{ace->Header.AceFlags}, 0u);  // nothing passed on, nothing inherited
    CHECK(EqualSid(&ace->SidStart, expected[index].sid));
    CHECK_EQ(ace->Mask, expected[index].mask);
  }

  TempLogFiles logFiles;
  WindowsPlatform platform;
  ScratchDirectory dir;
  const std::u16string path = dir.Path() + u"\\protected.log";
  CHECK(logFiles.CloseFile(logFiles.CreateNewFile(path.c_str()).value));
  CHECK(FileGrantsOnlySystemAdministratorsAndUser(path, user.Sid()));
  dir.Write(u"default.log", "", 0);
  CHECK(!FileGrantsOnlySystemAdministratorsAndUser(dir.Path() + u"\\default.log", user.Sid()));
}

// The temporary folder in its own name, as the log's name has it. Wine has no GetTempPath2W;
// where it exists it answers as GetTempPathW to any process but SYSTEM.
void LogFolder() {
  TempLogFiles logFiles;
  wchar_t expected[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, expected);
  char16_t folder[MAX_PATH + 1];
  CHECK_EQ(logFiles.ReadTempPath(MAX_PATH + 1, folder), std::uint32_t{length});
  CHECK_EQ(std::u16string(folder), Utf16String(expected));
  CHECK_EQ(logFiles.ReadTempPath(2, folder), std::uint32_t{length + 1});  // the size needed
}

// The log's files in the folder named by ZIREL_PLANTED_LINK_DIR at a fixed time and process id,
// where the test's set-up has planted a dangling Unix symbolic link under the first name.
class PlantedFolderLogFiles : public TempLogFiles {
 public:
  explicit PlantedFolderLogFiles(std::u16string folder) : folder_(std::move(folder)) {}
  std::uint32_t ReadTempPath(std::uint32_t bufferLength, char16_t* buffer) override {
    if (bufferLength <= folder_.size()) return static_cast<std::uint32_t>(folder_.size() + 1);
    buffer[folder_.copy(buffer, folder_.size())] = u'\0';
    return static_cast<std::uint32_t>(folder_.size());
  }
  LocalTime ReadLocalTime() override { return {2026, 3, 4, 5, 6, 7}; }
  std::uint32_t ProcessId() override { return 4242; }

 private:
  std::u16string folder_;
};

// A link planted under the log's name is a name taken: the log goes to the next name, and
// nothing is created where the link points. (Wine cannot make a Windows symbolic link:
// CreateSymbolicLinkW answers TRUE and makes nothing; the link is made on the Unix side.)
void PlantedLinksAreNotFollowed() {
  wchar_t folder[MAX_PATH] = {};
  CHECK(GetEnvironmentVariableW(L"ZIREL_PLANTED_LINK_DIR", folder, MAX_PATH) != 0);
  const std::u16string planted = Utf16String(folder);
  const std::u16string target = planted + u"\\planted-target.log";
  CHECK_EQ(GetFileAttributesW(Wide(target)), INVALID_FILE_ATTRIBUTES);
  PlantedFolderLogFiles logFiles(planted);
  {
    FileRunLog log(logFiles);
    CHECK(log.Open());
    CHECK_EQ(log.path(), planted + u"\\zirelpluginsetup_20260304_050607_4242_1.log");
  }
  CHECK_EQ(GetFileAttributesW(Wide(target)), INVALID_FILE_ATTRIBUTES);
  DeleteFileW(Wide(planted + u"\\zirelpluginsetup_20260304_050607_4242_1.log"));
}

// Every run adds SEM_FAILCRITICALERRORS to the error mode it was started with and keeps the
// rest of it.
void CriticalErrorsFailInEveryRun() {
  const UINT before = SetErrorMode(SEM_NOOPENFILEERRORBOX);
  FailCriticalErrors();
  CHECK_EQ(SetErrorMode(0), UINT{SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS});
  FailCriticalErrors();
  CHECK_EQ(SetErrorMode(before), UINT{SEM_FAILCRITICALERRORS});
}

// A visible top-level window of this process with the class `name`, or null.
struct WindowSearch {
  const wchar_t* name;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM searchPointer) {
  auto& search = *reinterpret_cast<WindowSearch*>(searchPointer);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) ||
      std::wstring(name) != search.name) {
    return TRUE;
  }
  search.found = window;
  return FALSE;
}

HWND FindVisible(const wchar_t* className) {
  WindowSearch search{className, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// What the box answerer saw: whether the frame was up when the box appeared, and which of the
// two was on top once both were up.
struct BoxAndFrame {
  bool frameFirst = false;
  bool boxAbove = false;
};

// Waits (3 s at most) for a message box, notes whether the progress frame is up already, waits
// for the frame as long again, lets it settle, notes the stacking order, then answers the box.
DWORD WINAPI AnswerBoxOverFrame(void* seenPointer) {
  auto& seen = *static_cast<BoxAndFrame*>(seenPointer);
  HWND box = nullptr;
  for (DWORD start = GetTickCount(); box == nullptr && GetTickCount() - start < 3000; Sleep(1)) {
    box = FindVisible(L"#32770");
  }
  seen.frameFirst = FindVisible(L"Message") != nullptr;
  HWND frame = nullptr;
  for (DWORD start = GetTickCount(); frame == nullptr && GetTickCount() - start < 3000; Sleep(1)) {
    frame = FindVisible(L"Message");
  }
  Sleep(100);
  for (HWND window = GetTopWindow(nullptr); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (window == box || window == frame) {
      seen.boxAbove = box != nullptr && window == box;
      break;
    }
  }
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return 0;
}

// The launcher's resources, read slowly: the progress thread, which reads its title first,
// shows its frame a good while after it is resumed.
class SlowResources : public ResourceApi {
 public:
  explicit SlowResources(HINSTANCE instance) : resources_(instance) {}
  bool FindResourceBytes(std::uint16_t type, std::uint16_t name, const std::uint8_t** data,
                         std::uint32_t* size) override {
    Sleep(300);
    return resources_.FindResourceBytes(type, name, data, size);
  }

 private:
  ModuleResources resources_;
};

// The frame activates itself when shown: a box asked for right after the progress thread is
// resumed must come after the frame and stay above it.
void BoxesComeAboveTheProgressFrame() {
  const HINSTANCE self = GetModuleHandleW(nullptr);
  SlowResources resources(self);
  WindowsUi ui(self, resources);
  ui.CreateProgressThread(kStrProgressPlugin);
  ui.ResumeProgressThread();
  BoxAndFrame seen;
  KernelHandle answerer(CreateThread(nullptr, 0, AnswerBoxOverFrame, &seen, 0, nullptr));
  CHECK_EQ(ui.ShowMessageBox(u"Text", u"Caption", 0), IDOK);
  CHECK_EQ(WaitForSingleObject(answerer.Get(), 10000), WAIT_OBJECT_0);
  CHECK(seen.frameFirst);
  CHECK(seen.boxAbove);
  ui.EndProgressThread();
  CHECK(FindVisible(L"Message") == nullptr);

  // An owner that goes while its thread shows the frame takes the frame and the thread along.
  {
    WindowsUi leaving(self, resources);
    leaving.CreateProgressThread(kStrProgressPlugin);
    leaving.ResumeProgressThread();
    for (DWORD start = GetTickCount();
         FindVisible(L"Message") == nullptr && GetTickCount() - start < 3000; Sleep(1)) {
    }
    CHECK(FindVisible(L"Message") != nullptr);
  }
  CHECK(FindVisible(L"Message") == nullptr);
}

BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
  ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

// The windows `thread` owns: top-level ones and message-only ones (COM's apartment window may
// be either).
int WindowsOwnedBy(DWORD thread) {
  int count = 0;
  EnumThreadWindows(thread, CountWindow, reinterpret_cast<LPARAM>(&count));
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
       window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) {
    if (GetWindowThreadProcessId(window, nullptr) == thread) ++count;
  }
  return count;
}

// The package function of a table that has no other: records the thread it was called on,
// that thread's COM apartment and the windows it owns at that moment.
struct PackageOpening {
  int calls = 0;
  DWORD thread = 0;
  HRESULT apartmentQuery = E_FAIL;
  APTTYPE apartment = APTTYPE_CURRENT;
  int windows = -1;
};
PackageOpening opening;

UINT WINAPI RecordPackageOpening(LPCWSTR, DWORD, MSIHANDLE* handle) {
  ++opening.calls;
  opening.thread = GetCurrentThreadId();
  APTTYPEQUALIFIER qualifier;
  opening.apartmentQuery = CoGetApartmentType(&opening.apartment, &qualifier);
  opening.windows = WindowsOwnedBy(opening.thread);
  *handle = 0;
  return ERROR_FILE_NOT_FOUND;
}

// What another thread sees while the main thread waits for a child: the windows the main
// thread owns, and its own apartment (a thread without COM of its own is in the process's
// multithreaded apartment implicitly, when there is one). Then it ends the child.
struct WaitingThread {
  DWORD thread = 0;
  HANDLE child = nullptr;
  int windows = -1;
  HRESULT apartmentQuery = E_FAIL;
  APTTYPE apartment = APTTYPE_CURRENT;
  APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
};

DWORD WINAPI LookAtTheWaitingThread(void* parameter) {
  auto* seen = static_cast<WaitingThread*>(parameter);
  seen->windows = WindowsOwnedBy(seen->thread);
  seen->apartmentQuery = CoGetApartmentType(&seen->apartment, &seen->qualifier);
  TerminateProcess(seen->child, 7);
  return 0;
}

// COM comes in at the first package opening, in the multithreaded apartment: the thread that
// later waits for each child without pumping messages owns no window for COM to post to.
void ComIsMultithreadedWhenPackagesOpenAndChildrenRun(DllSearch search) {
  APTTYPE apartment;
  APTTYPEQUALIFIER qualifier;
  CHECK_EQ(CoGetApartmentType(&apartment, &qualifier), CO_E_NOTINITIALIZED);
  MsiFunctions msi;
  msi.openPackageEx = RecordPackageOpening;
  {
    ComApartment com(search);
    MsiInstaller installer(msi, &com);
    CHECK_EQ(opening.calls, 0);
    CHECK_EQ(CoGetApartmentType(&apartment, &qualifier), CO_E_NOTINITIALIZED);  // not before
    for (int i = 0; i < 2; ++i) {
      MsiHandle handle{1};
      CHECK_EQ(installer.OpenPackageEx(u"C:\\none.msi", 0, &handle), 2u);
      CHECK_EQ(handle, MsiHandle{0});
    }
    CHECK_EQ(opening.calls, 2);
    CHECK_EQ(opening.thread, GetCurrentThreadId());
    CHECK_EQ(opening.apartmentQuery, S_OK);
    CHECK_EQ(opening.apartment, APTTYPE_MTA);
    CHECK_EQ(opening.windows, 0);
    CHECK_EQ(com.result(), S_OK);

    // A child that runs until the looking thread ends it, waited for as the launcher does.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::u16string command = u"\"" + Utf16String(self) + u"\" --run-until-ended";
    ChildProcesses processes;
    ProcessHandles child;
    CHECK(processes.StartProcess(nullptr, &command[0], kCreateNoWindow, &child).value);
    WaitingThread seen;
    seen.thread = GetCurrentThreadId();
    seen.child = reinterpret_cast<HANDLE>(child.process);
    KernelHandle looker(CreateThread(nullptr, 0, LookAtTheWaitingThread, &seen, 0, nullptr));
    CHECK_EQ(processes.WaitForObject(child.process, kInfinite), 0u);
    std::uint32_t code = 0;
    CHECK(processes.ReadExitCode(child.process, &code));
    CHECK_EQ(code, 7u);  // ended by the looking thread, not on its own
    CHECK_EQ(WaitForSingleObject(looker.Get(), 10000), WAIT_OBJECT_0);
    CloseHandle(reinterpret_cast<HANDLE>(child.process));
    CloseHandle(reinterpret_cast<HANDLE>(child.thread));
    CHECK_EQ(seen.windows, 0);
    CHECK_EQ(seen.apartmentQuery, S_OK);
    CHECK_EQ(seen.apartment, APTTYPE_MTA);
    CHECK_EQ(seen.qualifier, APTTYPEQUALIFIER_IMPLICIT_MTA);

    // Still the multithreaded apartment after the wait: a single-threaded one is refused.
    CHECK_EQ(CoGetApartmentType(&apartment, &qualifier), S_OK);
    CHECK_EQ(apartment, APTTYPE_MTA);
    const HRESULT singleThreaded = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(singleThreaded)) CoUninitialize();
    CHECK_EQ(singleThreaded, RPC_E_CHANGED_MODE);
    CHECK_EQ(WindowsOwnedBy(GetCurrentThreadId()), 0);
  }
  // Left again, once for the one initialisation.
  CHECK_EQ(CoGetApartmentType(&apartment, &qualifier), CO_E_NOTINITIALIZED);
}

void InstallerAnswersForUnknownProducts() {
  MsiInstaller installer(libraries.Msi());
  installer.SetInternalUi(kInstallUiLevelNone);
  CHECK_EQ(installer.QueryProductState(kUnknownProduct), kInstallStateUnknown);
  std::uint32_t size = 0;
  CHECK_EQ(installer.GetProductInfo(kUnknownProduct, u"VersionString", nullptr, &size), 1605u);
  MsiHandle package{};
  CHECK(installer.OpenPackageEx(u"C:\\zirel-none.msi", kOpenPackageIgnoreMachineState, &package) !=
        0);
  CHECK_EQ(package, MsiHandle{0});
  // Looked up at run time: present here, so the answer is the installer's, not "not implemented".
  CHECK(installer.SourceListSetInfo(kUnknownProduct, nullptr, kInstallContextMachine,
                                    kMsiCodeProduct, u"PackageName", u"x.msi") != 120);
}

// Every id of the string table, read from the block bytes and through LoadLocalizedString,
// agrees with the system's own LoadStringW; the blocks exist exactly where the table has texts.
void StringBlocksMatchTheSystemsReading() {
  HMODULE self = GetModuleHandleW(nullptr);
  ModuleResources resources(self);
  for (std::uint16_t id = 96; id <= 148; ++id) {
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
    CHECK(resources.FindResourceBytes(kRtString, static_cast<std::uint16_t>(id / 16 + 1), &data,
                                      &size));
    const std::uint8_t* at = data;
    for (int index = 0; index < id % 16; ++index) {
      at += 2 + 2 * (at[0] | at[1] << 8);
    }
    std::size_t count = static_cast<std::size_t>(at[0] | at[1] << 8);
    std::u16string fromBlock(reinterpret_cast<const char16_t*>(at + 2), count);
    const wchar_t* system = nullptr;
    int length = LoadStringW(self, id, reinterpret_cast<LPWSTR>(&system), 0);
    std::u16string fromSystem =
        length > 0 ? std::u16string(Utf16(system), static_cast<std::size_t>(length)) : u"";
    CHECK_EQ(fromBlock, fromSystem);
    CHECK_EQ(LoadLocalizedString(resources, id), fromSystem);
  }
  CHECK_EQ(LoadLocalizedString(resources, 143), std::u16string(u"\u041e\u043f\u0446\u0438\u0438"));
  CHECK_EQ(LoadLocalizedString(resources, 149), std::u16string());
  CHECK_EQ(LoadLocalizedString(resources, 104), std::u16string(u"Vestacor Signavel"));
  const std::uint8_t* data = nullptr;
  std::uint32_t size = 0;
  CHECK(!resources.FindResourceBytes(kRtString, 11, &data, &size));
  CHECK(!resources.FindResourceBytes(kRtString, 6, &data, &size));
  CHECK(resources.FindResourceBytes(5, 141, &data, &size));  // RT_DIALOG 141
  CHECK(size > 100);
}

// Function-local statics start once even when two threads reach them together (the guard
// functions of runtime_support.cpp).
LONG initialisations = 0;

int* SlowlyInitialisedValue() {
  static int* value = [] {
    InterlockedIncrement(&initialisations);
    Sleep(200);
    return new int(42);
  }();
  return value;
}

DWORD WINAPI TouchStatic(void* result) {
  *static_cast<int**>(result) = SlowlyInitialisedValue();
  return 0;
}

void StaticsInitialiseOnceAcrossThreads() {
  int* seen[2] = {nullptr, nullptr};
  KernelHandle first(CreateThread(nullptr, 0, TouchStatic, &seen[0], 0, nullptr));
  KernelHandle second(CreateThread(nullptr, 0, TouchStatic, &seen[1], 0, nullptr));
  HANDLE both[] = {first.Get(), second.Get()};
  CHECK_EQ(WaitForMultipleObjects(2, both, TRUE, 10000), WAIT_OBJECT_0);
  CHECK_EQ(initialisations, 1L);
  CHECK(seen[0] != nullptr && seen[0] == seen[1]);
  CHECK(seen[0] != nullptr && *seen[0] == 42);
  CHECK(SlowlyInitialisedValue() == seen[0]);
  CHECK_EQ(initialisations, 1L);
}

}  // namespace

// The only argument: the planting trace DLL. A child copy started by CheckInternalFailureExit
// gets "--fail-internally MARKER COMMAND-LINE"; one that only has to run until it is ended
// gets "--run-until-ended".
int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"--run-until-ended") {
    Sleep(INFINITE);  // ended from outside
    return 0;
  }
  if (argc == 4 && std::wstring(argv[1]) == L"--fail-internally") {
    return FailInternallyAsChild(Utf16String(argv[3]), Utf16String(argv[2]));
  }
  if (argc != 2) {
    std::printf("usage: win32_layer_tests <planting_marker.dll>\n");
    return 2;
  }
  const DllSearch search = CheckDllSearch(Utf16String(argv[1]));
  CheckStartPreparation(search);
  CheckInternalFailureExit();
  ComIsMultithreadedWhenPackagesOpenAndChildrenRun(search);
  BoxesComeAboveTheProgressFrame();
  CHECK_EQ(libraries.Load(search), 0u);
  StaticsInitialiseOnceAcrossThreads();
  OwnedHandlesCloseOnceAndMove();
  ChildProcessesRunAndReportExitCodes();
  CommandLinesSplitLikeTheSystem();
  FilesAreFoundAndPathsRead();
  PlatformQueries();
  CertificatesAreReadFromFilesAndAdded();
  LogFilesAreNewAndWrittenThrough();
  LogFilesGetAProtectedDacl();
  LogFolder();
  PlantedLinksAreNotFollowed();
  CriticalErrorsFailInEveryRun();
  InstallerAnswersForUnknownProducts();
  StringBlocksMatchTheSystemsReading();
  CheckResumeCalls(search);
  CheckTableCalls(libraries.Msi());
  return checks.Finish();
}
