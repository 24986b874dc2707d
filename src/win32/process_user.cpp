// The account of the running process, for the decisions that depend on who runs the launcher.
#include "win32/process_user.h"

#include "win32/handles.h"

ProcessUser::ProcessUser() {
  KernelHandle token;
  DWORD size = 0;
  known_ = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()) &&
           GetTokenInformation(token.Get(), TokenUser, buffer_, sizeof buffer_, &size);
}

bool ProcessUser::IsServiceAccount() {
  const PSID sid = Sid();
  if (sid == nullptr || *GetSidSubAuthorityCount(sid) != 1) return false;
  const SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  if (memcmp(GetSidIdentifierAuthority(sid), &nt, sizeof nt) != 0) return false;
  const DWORD rid = *GetSidSubAuthority(sid, 0);
  return rid == SECURITY_LOCAL_SYSTEM_RID || rid == SECURITY_LOCAL_SERVICE_RID ||
         rid == SECURITY_NETWORK_SERVICE_RID;
}
