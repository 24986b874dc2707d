#include "setup/restart.h"

#include "common/number_text.h"
#include "common/scoped_handles.h"
#include "common/win_errors.h"
#include "log/log_lines.h"

namespace {

// "The application should wait a short while and retry the call" when Windows is not ready.
constexpr int kNotReadyRetries = 3;
constexpr std::uint32_t kNotReadyWaitMs = 5000;
// The log keeps room for an answer to every attempt and one line on what the last one means.
static_assert(std::size_t{kNotReadyRetries} + 2 <= kMostRestartSystemLines);

// The longest line written here.
constexpr char kLockedText[] =
    "restart: the computer is locked, and Windows XP and 2003 restart a locked computer only by "
    "closing applications by force";
static_assert(sizeof(kLockedText) - 1 <= kClosingTextMax);

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
    sys.log.Closing({"restart: SeShutdownPrivilege not enabled, error ", DecimalText(error)});
    return false;
  }
  // ExitWindowsEx "can succeed without actually shutting down the computer" for a caller that
  // is not the interactive user: a service's account (SYSTEM on a visible desktop too) or a
  // run that nobody sees asks InitiateSystemShutdownEx instead.
  const bool interactiveUser = sys.ui.SomebodyCanSee() && !platform.RunsAsServiceAccount();
  for (int attempt = 0;; ++attempt) {
    ShutdownCall used = ShutdownCall::kInitiateSystemShutdownEx;
    const bool accepted =
        interactiveUser ? platform.RequestExitWindows(kEwxReboot | kEwxForce,
                                                      kShutdownReasonPlannedInstallation)
                        : platform.RequestSystemShutdown(kShutdownReasonPlannedInstallation, &used);
    const std::uint32_t error = accepted ? 0 : platform.LastError();
    const char16_t* call = interactiveUser ? u"ExitWindowsEx"
                           : used == ShutdownCall::kInitiateSystemShutdownEx
                               ? u"InitiateSystemShutdownExW"
                               : u"InitiateSystemShutdownW";
    if (accepted) {
      sys.log.Closing({"restart: ", call, " answered 1"});
      return true;
    }
    sys.log.Closing({"restart: ", call, " answered 0, error ", DecimalText(error)});
    if (error == kErrorShutdownInProgress || error == kErrorShutdownIsScheduled) {
      // Windows takes no second shutdown while one is under way or scheduled: that one is
      // the restart.
      sys.log.Closing(
          {"restart: a shutdown is already under way or scheduled; it restarts Windows"});
      return true;
    }
    if (error == kErrorMachineLocked) {
      sys.log.Closing({kLockedText});
    }
    if (error != kErrorNotReady || attempt == kNotReadyRetries) return false;
    platform.Wait(kNotReadyWaitMs);
  }
}
