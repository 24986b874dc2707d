#pragma once

#include <windows.h>

// The SIDs of the NT authority (S-1-5-...) that decide who may change the launcher's files:
// LocalSystem and the built-in Administrators. Built in place, because CreateWellKnownSid is
// missing on Windows 2000; the SID lives inside the object.
class NtSid {
 public:
  static NtSid LocalSystem() { return NtSid(1, SECURITY_LOCAL_SYSTEM_RID, 0); }
  static NtSid Administrators() {
    return NtSid(2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
  }

  PSID Get() { return words_; }
  bool Is(PSID sid) { return EqualSid(sid, words_) != FALSE; }

 private:
  NtSid(BYTE count, DWORD first, DWORD second) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    InitializeSid(words_, &nt, count);
    *GetSidSubAuthority(words_, 0) = first;
    if (count > 1) *GetSidSubAuthority(words_, 1) = second;
  }

  DWORD words_[SECURITY_MAX_SID_SIZE / sizeof(DWORD)] = {};
};
