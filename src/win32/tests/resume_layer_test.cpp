// WindowsResume against the real system calls, run under Wine with the rest of the layer test:
// the protected folder of the local copy and which folders the launcher trusts, the volatile
// mark in HKEY_LOCAL_MACHINE and the file operations of the next start, files that are only
// ever made new.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "win32/handles.h"
#include "win32/launcher/windows_resume.h"
#include "win32/tests/check.h"
#include "win32/tests/scratch_directory.h"
#include "win32/wide_text.h"

namespace {

constexpr std::u16string::size_type kNone = std::u16string::npos;

// The error of a call that failed; 0 when it succeeded.
std::uint32_t Refusal(const SysResult<bool>& result) {
  return result.value ? 0 : result.error;
}

// The owner and DACL of `path` as the system reads them back, in SDDL; empty when unreadable.
std::u16string SecurityText(const std::u16string& path) {
  constexpr SECURITY_INFORMATION parts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  LocalMemory descriptor;
  wchar_t* text = nullptr;
  if (GetNamedSecurityInfoW(Wide(path), SE_FILE_OBJECT, parts, nullptr, nullptr, nullptr, nullptr,
                            descriptor.Receive()) != ERROR_SUCCESS ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.Get(), SDDL_REVISION_1,
                                                            parts, &text, nullptr)) {
    return u"";
  }
  LocalMemory owner(text);
  return Utf16String(text);
}

// The launcher's own descriptor, as made and as Windows may read it back, is the launcher's;
// anything an administrator or another program may have put there instead is not. Under Wine
// alone, a folder owned by the running account (here Users), as Wine reads back every folder,
// stands for one owned by the Administrators, with an entry for that account; on Windows such a
// folder may have been made by anybody who runs the launcher.
void FolderTrustFollowsOwnerAndDacl() {
  struct Case {
    const wchar_t* security;
    FolderTrust onWindows;
    FolderTrust underWine;
  };
  constexpr FolderTrust kOwn = FolderTrust::kOwn;
  constexpr FolderTrust kForeign = FolderTrust::kForeign;
  const Case cases[] = {
      {L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", kOwn, kOwn},
      {L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", kOwn, kOwn},
      {L"O:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", kOwn, kOwn},
      {L"O:BUD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BU)", kForeign, kOwn},  // as Wine shows it
      {L"O:BUD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", kForeign, kOwn},
      // The running account's entry counts only where it is the owner.
      {L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;BU)", kForeign, kForeign},
      {L"O:WDD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BU)", kForeign, kForeign},
      {L"O:WDD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", kForeign, kForeign},  // another owner
      {L"O:BAD:AI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FR;;;BU)", kForeign, kForeign},
      {L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;WD)", kForeign, kForeign},
      {L"O:BAD:PAI(D;OICI;FA;;;SY)(A;OICI;FA;;;BA)", kForeign, kForeign},
      {L"O:BAD:P", kForeign, kForeign},  // nobody anything
  };
  LocalMemory users;
  CHECK(ConvertStringSidToSidW(L"S-1-5-32-545", users.Receive()));
  for (const Case& row : cases) {
    LocalMemory descriptor;
    CHECK(ConvertStringSecurityDescriptorToSecurityDescriptorW(row.security, SDDL_REVISION_1,
                                                               descriptor.Receive(), nullptr));
    CHECK_EQ(TrustOfFolderSecurity(descriptor.Get(), users.Get(), false), row.onWindows);
    CHECK_EQ(TrustOfFolderSecurity(descriptor.Get(), users.Get(), true), row.underWine);
  }
  // Under Wine, with the running account unknown, nobody stands for the Administrators.
  LocalMemory wineShown;
  CHECK(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"O:BUD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BU)", SDDL_REVISION_1, wineShown.Receive(), nullptr));
  CHECK_EQ(TrustOfFolderSecurity(wineShown.Get(), nullptr, true), kForeign);
  // No DACL at all: everybody everything (Wine reads NO_ACCESS_CONTROL as an empty DACL).
  SECURITY_DESCRIPTOR open = {};
  LocalMemory administrators;
  CHECK(InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION) &&
        ConvertStringSidToSidW(L"S-1-5-32-544", administrators.Receive()) &&
        SetSecurityDescriptorOwner(&open, administrators.Get(), FALSE) &&
        SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE) &&
        SetSecurityDescriptorControl(&open, SE_DACL_PROTECTED, SE_DACL_PROTECTED));
  CHECK_EQ(TrustOfFolderSecurity(&open, users.Get(), true), kForeign);
}

// Wine 8 keeps no Windows security for files: it turns a new folder's DACL into the Unix mode
// and reads back an owner and DACL made from that mode and the Unix owner: owner the process's
// user, never Administrators, and never protected. What Wine shows: the protected folder grants
// Everyone nothing and is the launcher's own, where a plain one lets Everyone read; a folder or
// file in the way is refused and left as it was; a symbolic link is a link (the set-up makes a
// Unix one to a folder). That the protected folder reads as the launcher's own here also shows
// that the layer knows it runs under Wine.
void ProtectedFoldersAreNewAndNeverReused(WindowsResume& resume) {
  ScratchDirectory dir;
  const std::u16string own = dir.Path() + u"\\own";
  const std::u16string plain = dir.Path() + u"\\plain";
  const std::u16string file = dir.Path() + u"\\file";
  dir.Write(u"file", "x", 1);
  CHECK(resume.CreateProtectedFolder(own.c_str()).value);
  CHECK(resume.CreateFolder(plain.c_str()).value);
  CHECK(SecurityText(own).find(u"(A;OICI;FA;;;SY)") != kNone);
  CHECK_EQ(SecurityText(own).find(u";;;WD)"), kNone);
  CHECK(SecurityText(plain).find(u";;;WD)") != kNone);
  for (const std::u16string& taken : {own, plain, file}) {
    const std::u16string before = SecurityText(taken);
    CHECK_EQ(Refusal(resume.CreateProtectedFolder(taken.c_str())), 183u);  // ERROR_ALREADY_EXISTS
    CHECK_EQ(SecurityText(taken), before);
  }
  CHECK_EQ(resume.ReadFolderTrust(own.c_str()), FolderTrust::kOwn);
  CHECK_EQ(resume.ReadFolderTrust(plain.c_str()), FolderTrust::kForeign);
  CHECK_EQ(resume.ReadFolderTrust(file.c_str()), FolderTrust::kForeign);
  CHECK_EQ(resume.ReadFolderTrust((dir.Path() + u"\\none").c_str()), FolderTrust::kUnreadable);
  wchar_t planted[MAX_PATH] = {};
  CHECK(GetEnvironmentVariableW(L"ZIREL_PLANTED_LINK_DIR", planted, MAX_PATH) != 0);
  const std::u16string link = Utf16String(planted) + u"\\linked-folder";
  CHECK_EQ(resume.ReadFolderTrust(link.c_str()), FolderTrust::kReparsePoint);
  CHECK(resume.RemoveFolder(own.c_str()).value);
  CHECK(resume.RemoveFolder(plain.c_str()).value);
}

// The mark holds the files it was made with, several or none, and only the run that made it
// writes them. The test's own keys are written without a view: a 32-bit process gets the
// 32-bit one.
void VolatileMarkIsMadeOnceAndKeepsItsFiles(WindowsResume& resume) {
  using Files = std::vector<std::u16string>;
  const Files several{u"C:\\Program Files\\Vestacor\\Signavel\\core.txt",
                      u"C:\\Program Files\\Vestacor\\Signavel\\\u0444\u0430\u0439\u043b.dll",
                      std::u16string(300, u'x')};
  resume.DeleteVolatileMark();  // left by an earlier run that stopped half-way
  for (const Files& files : {several, Files{}}) {
    bool createdNew = false;
    Files read{u"left over"};
    CHECK(resume.CreateVolatileMark(files, &createdNew).value && createdNew);
    CHECK(resume.CreateVolatileMark({u"C:\\other.txt"}, &createdNew).value && !createdNew);
    CHECK(resume.ReadVolatileMark(&read).value);
    CHECK_EQ(read, files);
    CHECK(resume.DeleteVolatileMark().value);
    CHECK_EQ(Refusal(resume.ReadVolatileMark(&read)), 2u);  // ERROR_FILE_NOT_FOUND
    CHECK_EQ(Refusal(resume.DeleteVolatileMark()), 2u);
  }
  // A list that would read back otherwise is refused before the key is made.
  bool createdNew = true;
  CHECK_EQ(Refusal(resume.CreateVolatileMark({u"C:\\a.txt", u""}, &createdNew)), 87u);
  CHECK(!createdNew);
  Files read;
  CHECK_EQ(Refusal(resume.ReadVolatileMark(&read)), 2u);

  // A lasting key planted there first was not made now: the caller refuses it, and its value
  // stays; a list whose last zeros are missing is read to its end.
  CHECK_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, Wide(kResumeMarkKey), Wide(kResumeMarkValue),
                           REG_MULTI_SZ, u"C:\\a.txt\0C:\\b.txt", 34),
           0L);
  CHECK(resume.CreateVolatileMark({u"C:\\other.txt"}, &createdNew).value && !createdNew);
  CHECK(resume.ReadVolatileMark(&read).value);
  CHECK_EQ(read, (Files{u"C:\\a.txt", u"C:\\b.txt"}));
  CHECK(resume.DeleteVolatileMark().value);
}

// The operations are read as the system keeps them: every string with its zero, the empty
// target of a deletion too; another type, or more than the reader takes, is refused. The test
// writes a value of its own name beside the real ones.
void PendingOperationsAreReadAsStored(WindowsResume& resume) {
  constexpr wchar_t kKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  constexpr char16_t kName[] = u"ZirelLayerPendingOperations";
  // Delete a.dll; replace b.dll by the new one. The literal's own closing zero is not stored.
  constexpr char16_t kStored[] =
      u"\\??\\C:\\old\\a.dll\0\0"
      u"\\??\\C:\\new\\b.dll\0!\\??\\C:\\old\\b.dll\0\0";
  const std::u16string data(kStored, sizeof kStored / sizeof kStored[0] - 1);
  struct Case {
    DWORD type;
    std::u16string stored;
    std::uint32_t error;
  };
  for (const Case& row : {Case{REG_MULTI_SZ, data, 0}, Case{REG_EXPAND_SZ, data, 13},
                          Case{REG_MULTI_SZ, std::u16string(512 * 1024 + 1, u'x'), 223}}) {
    CHECK_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, Wide(kName), row.type, row.stored.data(),
                             static_cast<DWORD>(row.stored.size() * sizeof(char16_t))),
             0L);
    std::u16string read = u"left over";
    const SysResult<bool> result = resume.ReadPendingFileOperations(kName, &read);
    CHECK_EQ(Refusal(result), row.error);
    CHECK_EQ(read, result.value ? row.stored : u"left over");
  }
  CHECK_EQ(RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, Wide(kName)), 0L);
  std::u16string read;
  CHECK_EQ(Refusal(resume.ReadPendingFileOperations(kName, &read)), 2u);
}

void FilesAreMadeNewAndReadWhole(WindowsResume& resume) {
  ScratchDirectory dir;
  const std::u16string path = dir.Path() + u"\\resume.txt";
  const std::u16string content(u"\uFEFFid=run-1\r\n\0\u0416", 13);
  std::u16string read;
  CHECK(resume.WriteNewFile(path.c_str(), content).value);
  CHECK_EQ(Refusal(resume.WriteNewFile(path.c_str(), u"other")), 80u);  // ERROR_FILE_EXISTS
  CHECK(resume.ReadWholeFile(path.c_str(), &read).value && read == content);
}

}  // namespace

void CheckResumeCalls(DllSearch search) {
  WindowsResume resume(search);
  FolderTrustFollowsOwnerAndDacl();
  ProtectedFoldersAreNewAndNeverReused(resume);
  VolatileMarkIsMadeOnceAndKeepsItsFiles(resume);
  PendingOperationsAreReadAsStored(resume);
  // Read-only copies and the volume's access lists: end to end (read-only media, any
  // registration).
  FilesAreMadeNewAndReadWhole(resume);
}
