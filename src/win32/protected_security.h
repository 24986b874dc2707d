#pragma once

#include <windows.h>

#include "win32/nt_sid.h"

// The security of a file or folder the launcher makes for itself (its run log, the resume's
// folder): a DACL marked protected, so that nothing inheritable of the parent folder is added,
// giving SYSTEM and the Administrators full control and, where named, one more account the
// access given, and nobody anything else. Everything it points to lives inside the object,
// which is never copied or moved.
class ProtectedSecurity {
 public:
  struct Grants {
    BYTE aceFlags;             // OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE: passed on inside
    bool ownerAdministrators;  // owner Administrators, else the creator's default owner
    PSID user;                 // the one more account, or null
    DWORD userAccess;
  };

  ProtectedSecurity() = default;
  ProtectedSecurity(const ProtectedSecurity&) = delete;
  ProtectedSecurity& operator=(const ProtectedSecurity&) = delete;

  // Builds the descriptor. False, with the last error of the call that failed, when that
  // cannot be done.
  bool Build(const Grants& grants);
  // For CreateFileW and CreateDirectoryW, once Build has succeeded.
  SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }

 private:
  static constexpr DWORD kAclBytes =
      sizeof(ACL) + 3 * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + SECURITY_MAX_SID_SIZE);

  NtSid system_ = NtSid::LocalSystem();
  NtSid administrators_ = NtSid::Administrators();
  DWORD acl_[kAclBytes / sizeof(DWORD)] = {};
  SECURITY_DESCRIPTOR descriptor_ = {};
  SECURITY_ATTRIBUTES attributes_ = {};
};
