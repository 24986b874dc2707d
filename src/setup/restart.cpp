#include "setup/restart.h"

#include "installer/scoped_handles.h"

bool RestartSystem(const System& sys) {
  PlatformApi& platform = sys.platform;
  SysHandle rawToken = 0;
  if (!platform.OpenToken(platform.CurrentProcess(), kTokenAdjustPrivileges | kTokenQuery,
                          &rawToken)) {
    return false;
  }
  const ScopedSysHandle token(platform, rawToken);
  // A failed look-up leaves the identifier zero; the adjustment then reports the error.
  Luid shutdown;
  platform.LookupPrivilege(nullptr, u"SeShutdownPrivilege", &shutdown);
  platform.AdjustPrivilege(token.get(), false, shutdown, kSePrivilegeEnabled);
  // The adjustment "succeeds" without the privilege too; only the last error tells.
  if (platform.LastError() != 0) return false;
  return platform.RequestExitWindows(kEwxReboot | kEwxForce, kShutdownReasonMajorApplication);
}
