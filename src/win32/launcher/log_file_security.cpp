// The access list of a new run log: the account that runs the launcher may read and write it,
// SYSTEM and the Administrators may do anything, nobody else anything.
#include "win32/launcher/log_file_security.h"

#include "win32/handles.h"

// The entries are the log's alone: nothing passed on (a file holds nothing), owner as the
// system makes it.
bool LogFileSecurity::Build() {
  KernelHandle token;
  DWORD size = 0;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()) ||
      !GetTokenInformation(token.Get(), TokenUser, tokenUser_, sizeof tokenUser_, &size)) {
    return false;
  }
  const PSID user = reinterpret_cast<TOKEN_USER*>(tokenUser_)->User.Sid;
  return security_.Build({0, false, user, FILE_GENERIC_READ | FILE_GENERIC_WRITE});
}
