// WindowsResume against the real system calls, run under Wine with the rest of the layer test:
// the protected folder of the local copy and which folders the launcher trusts, the volatile
// mark in HKEY_LOCAL_MACHINE, files that are only ever made new.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>

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

// The launcher's own descriptor, as made, as Windows may read it back and as Wine reads it back
// (owner the running account, nothing protected), is the launcher's; anything an administrator
// or another program may have put there instead is not. The running account here is Users.
void FolderTrustFollowsOwnerAndDacl() {
  struct Case {
    const wchar_t* security;
    FolderTrust trust;
  };
  const Case cases[] = {
      {L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", FolderTrust::kOwn},
      {L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", FolderTrust::kOwn},
      {L"O:BUD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BU)", FolderTrust::kOwn},       // as Wine shows it
      {L"O:WDD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", FolderTrust::kForeign},  // another owner
      {L"O:BAD:AI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FR;;;BU)", FolderTrust::kForeign},
      {L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;WD)", FolderTrust::kForeign},
      {L"O:BAD:PAI(D;OICI;FA;;;SY)(A;OICI;FA;;;BA)", FolderTrust::kForeign},
      {L"O:BAD:P", FolderTrust::kForeign},  // nobody anything
  };
  LocalMemory users;
  CHECK(ConvertStringSidToSidW(L"S-1-5-32-545", users.Receive()));
  for (const Case& row : cases) {
    LocalMemory descriptor;
    CHECK(ConvertStringSecurityDescriptorToSecurityDescriptorW(row.security, SDDL_REVISION_1,
                                                               descriptor.Receive(), nullptr));
    CHECK_EQ(TrustOfFolderSecurity(descriptor.Get(), users.Get()), row.trust);
  }
  // No DACL at all: everybody everything (Wine reads NO_ACCESS_CONTROL as an empty DACL).
  SECURITY_DESCRIPTOR open = {};
  LocalMemory administrators;
  CHECK(InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION) &&
        ConvertStringSidToSidW(L"S-1-5-32-544", administrators.Receive()) &&
        SetSecurityDescriptorOwner(&open, administrators.Get(), FALSE) &&
        SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE) &&
        SetSecurityDescriptorControl(&open, SE_DACL_PROTECTED, SE_DACL_PROTECTED));
  CHECK_EQ(TrustOfFolderSecurity(&open, users.Get()), FolderTrust::kForeign);
}

// Wine 8 keeps no Windows security for files: it turns a new folder's DACL into the Unix mode
// and reads back an owner and DACL made from that mode and the Unix owner: owner the process's
// user, never Administrators, and never protected. What Wine shows: the protected folder grants
// Everyone nothing and is the launcher's own, where a plain one lets Everyone read; a folder or
// file in the way is refused and left as it was; a symbolic link is a link (the set-up makes a
// Unix one to a folder).
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

// The test's own keys are written without a view: a 32-bit process gets the 32-bit one.
void VolatileMarkIsMadeOnceAndKeepsItsId(WindowsResume& resume) {
  bool createdNew = false;
  std::u16string id;
  resume.DeleteVolatileMark();  // left by an earlier run that stopped half-way
  CHECK(resume.CreateVolatileMark(u"run-1", &createdNew).value && createdNew);
  CHECK(resume.CreateVolatileMark(u"run-2", &createdNew).value && !createdNew);
  CHECK(resume.ReadVolatileMark(&id).value);
  CHECK_EQ(id, u"run-1");
  CHECK(resume.DeleteVolatileMark().value);
  CHECK_EQ(Refusal(resume.ReadVolatileMark(&id)), 2u);  // ERROR_FILE_NOT_FOUND
  CHECK_EQ(Refusal(resume.DeleteVolatileMark()), 2u);

  // A lasting key planted there first was not made now: the caller refuses it; its id stays.
  CHECK_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, Wide(kResumeMarkKey), Wide(kResumeMarkValue), REG_SZ,
                           L"planted", sizeof L"planted"),
           0L);
  CHECK(resume.CreateVolatileMark(u"run-3", &createdNew).value && !createdNew);
  CHECK(resume.ReadVolatileMark(&id).value);
  CHECK_EQ(id, u"planted");
  CHECK(resume.DeleteVolatileMark().value);
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
  VolatileMarkIsMadeOnceAndKeepsItsId(resume);
  FilesAreMadeNewAndReadWhole(resume);
}
