#pragma once

#include <windows.h>

// The security of a new run log: a DACL that gives SYSTEM and the Administrators full control
// and the user of the process's token read and write, and nobody else anything. It is marked
// protected, so no inheritable entry of the folder (of a C:\TEMP open to every user, say) is
// added to it. Everything it points to lives inside the object, which is never copied or moved.
class LogFileSecurity {
 public:
  LogFileSecurity() = default;
  LogFileSecurity(const LogFileSecurity&) = delete;
  LogFileSecurity& operator=(const LogFileSecurity&) = delete;

  // Reads the token's user and builds the descriptor. False, with the last error of the call
  // that failed, when that cannot be done.
  bool Build();
  // For CreateFileW, once Build has succeeded.
  SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }

 private:
  static constexpr DWORD kSidWords = SECURITY_MAX_SID_SIZE / sizeof(DWORD);
  static constexpr DWORD kAclBytes =
      sizeof(ACL) + 3 * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + SECURITY_MAX_SID_SIZE);

  DWORD system_[kSidWords] = {};
  DWORD administrators_[kSidWords] = {};
  DWORD tokenUser_[(sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE) / sizeof(DWORD)] = {};
  DWORD acl_[kAclBytes / sizeof(DWORD)] = {};
  SECURITY_DESCRIPTOR descriptor_ = {};
  SECURITY_ATTRIBUTES attributes_ = {};
};
