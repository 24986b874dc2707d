#include "win32/launcher/log_file_security.h"

#include "win32/handles.h"

namespace {

// A SID of the NT authority (S-1-5-...) with one or two sub-authorities, in `buffer`.
bool MakeNtSid(DWORD* buffer, BYTE count, DWORD first, DWORD second) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  if (!InitializeSid(buffer, &nt, count)) return false;
  *GetSidSubAuthority(buffer, 0) = first;
  if (count > 1) *GetSidSubAuthority(buffer, 1) = second;
  return true;
}

}  // namespace

// Every call here exists on Windows 2000; SetSecurityDescriptorControl and SE_DACL_PROTECTED
// came with it.
bool LogFileSecurity::Build() {
  KernelHandle token;
  DWORD size = 0;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()) ||
      !GetTokenInformation(token.Get(), TokenUser, tokenUser_, sizeof tokenUser_, &size)) {
    return false;
  }
  const PSID user = reinterpret_cast<TOKEN_USER*>(tokenUser_)->User.Sid;
  auto* acl = reinterpret_cast<ACL*>(acl_);
  if (!MakeNtSid(system_, 1, SECURITY_LOCAL_SYSTEM_RID, 0) ||
      !MakeNtSid(administrators_, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS) ||
      !InitializeAcl(acl, sizeof acl_, ACL_REVISION) ||
      !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, system_) ||
      !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, administrators_) ||
      !AddAccessAllowedAce(acl, ACL_REVISION, FILE_GENERIC_READ | FILE_GENERIC_WRITE, user) ||
      !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) ||
      !SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
    return false;
  }
  attributes_ = {sizeof attributes_, &descriptor_, FALSE};
  return true;
}
