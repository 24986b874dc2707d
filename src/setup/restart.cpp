#include "setup/restart.h"

#include "common/number_text.h"
#include "common/scoped_handles.h"
#include "log/log_lines.h"

namespace {

// "restart: <call> answered 1", or "answered 0, error N".
bool LogAnswer(const System& sys, const char16_t* call, bool accepted) {
  if (accepted) {
    sys.log.Line({"restart: ", call, " answered 1"});
  } else {
    sys.log.Line({"restart: ", call, " answered 0, error ", DecimalText(sys.platform.LastError())});
  }
  return accepted;
}

}  // namespace

bool RestartSystem(const System& sys) {
  PlatformApi& platform = sys.platform;
  TokenHandle rawToken{};
  if (!platform.OpenToken(platform.CurrentProcess(), kTokenAdjustPrivileges | kTokenQuery,
                          &rawToken)) {
    return false;
  }
  const Scoped token(platform, rawToken);
  // A failed look-up leaves the identifier zero; the adjustment then reports the error.
  Luid shutdown;
  platform.LookupPrivilege(nullptr, u"SeShutdownPrivilege", &shutdown);
  platform.AdjustPrivilege(token.get(), false, shutdown, kSePrivilegeEnabled);
  // The adjustment "succeeds" without the privilege too; only the last error tells.
  if (const std::uint32_t error = platform.LastError(); error != 0) {
    sys.log.Line({"restart: SeShutdownPrivilege not enabled, error ", DecimalText(error)});
    return false;
  }
  if (sys.ui.SomebodyCanSee()) {
    return LogAnswer(
        sys, u"ExitWindowsEx",
        platform.RequestExitWindows(kEwxReboot | kEwxForce, kShutdownReasonMajorApplication));
  }
  // ExitWindowsEx may succeed without restarting anything when the caller is not the
  // interactive user; InitiateSystemShutdownEx is the call for that case.
  ShutdownCall used = ShutdownCall::kInitiateSystemShutdownEx;
  const bool accepted = platform.RequestSystemShutdown(kShutdownReasonPlannedInstallation, &used);
  return LogAnswer(sys,
                   used == ShutdownCall::kInitiateSystemShutdownEx ? u"InitiateSystemShutdownExW"
                                                                   : u"InitiateSystemShutdownW",
                   accepted);
}
