#pragma once

#include <windows.h>

#include "win32/protected_security.h"

// The security of a new run log: a protected DACL that gives SYSTEM and the Administrators full
// control and the user of the process's token read and write, and nobody else anything (see
// ProtectedSecurity), so no inheritable entry of the folder (of a C:\TEMP open to every user,
// say) is added to it. Everything it points to lives inside the object, which is never copied
// or moved.
class LogFileSecurity {
 public:
  LogFileSecurity() = default;
  LogFileSecurity(const LogFileSecurity&) = delete;
  LogFileSecurity& operator=(const LogFileSecurity&) = delete;

  // Reads the token's user and builds the descriptor. False, with the last error of the call
  // that failed, when that cannot be done.
  bool Build();
  // For CreateFileW, once Build has succeeded.
  SECURITY_ATTRIBUTES* Attributes() { return security_.Attributes(); }

 private:
  DWORD tokenUser_[(sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE) / sizeof(DWORD)] = {};
  ProtectedSecurity security_;
};
