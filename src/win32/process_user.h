#pragma once

#include <windows.h>

// The account this process runs as, read from its token when made.
class ProcessUser {
 public:
  ProcessUser();

  // The account's SID; nullptr when the token could not be read.
  PSID Sid() { return known_ ? reinterpret_cast<TOKEN_USER*>(buffer_)->User.Sid : nullptr; }
  // LocalSystem, LocalService or NetworkService (S-1-5-18, -19, -20): a service's account,
  // never the interactive user of a session.
  bool IsServiceAccount();

 private:
  DWORD buffer_[(sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE) / sizeof(DWORD)] = {};
  bool known_ = false;
};
