// The protected access list of the files and folders the launcher makes for itself.
#include "win32/protected_security.h"

// Every call here exists on Windows 2000; AddAccessAllowedAceEx, SetSecurityDescriptorControl
// and SE_DACL_PROTECTED came with it.
bool ProtectedSecurity::Build(const Grants& grants) {
  auto* acl = reinterpret_cast<ACL*>(acl_);
  if (!InitializeAcl(acl, sizeof acl_, ACL_REVISION) ||
      !AddAccessAllowedAceEx(acl, ACL_REVISION, grants.aceFlags, FILE_ALL_ACCESS, system_.Get()) ||
      !AddAccessAllowedAceEx(acl, ACL_REVISION, grants.aceFlags, FILE_ALL_ACCESS,
                             administrators_.Get()) ||
      (grants.user != nullptr && !AddAccessAllowedAceEx(acl, ACL_REVISION, grants.aceFlags,
                                                        grants.userAccess, grants.user)) ||
      !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
      (grants.ownerAdministrators &&
       !SetSecurityDescriptorOwner(&descriptor_, administrators_.Get(), FALSE)) ||
      !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) ||
      !SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
    return false;
  }
  attributes_ = {sizeof attributes_, &descriptor_, FALSE};
  return true;
}
