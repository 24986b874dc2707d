#pragma once

// What asking the users of other programs to close them needs of the system: the Restart
// Manager's list of the processes that hold files, the state of a user session and a question
// shown in it, the clock, and the launcher's own registry key, which keeps postponements from
// one run to the next.

#include <cstdint>
#include <string>
#include <vector>

#include "system/calendar_time.h"
#include "system/sys_result.h"

// The launcher's own key under HKEY_LOCAL_MACHINE, in the 32-bit registry view, and its value
// that keeps the postponement of an upgrade (REG_SZ).
inline constexpr char16_t kLauncherKey[] = u"SOFTWARE\\zirelpluginsetup";
inline constexpr char16_t kPostponementValue[] = u"Postponement";

// RM_PROCESS_INFO's TSSessionId when the session cannot be told (RM_INVALID_SESSION).
constexpr std::uint32_t kInvalidSession = 0xFFFFFFFF;
// RM_APP_TYPE values that no user can close.
constexpr std::uint32_t kRmService = 3;
constexpr std::uint32_t kRmCritical = 1000;

// One process that holds a file (RM_PROCESS_INFO).
struct FileHolder {
  std::u16string appName;  // strAppName: text the process chose, not to be trusted
  std::uint32_t processId = 0;
  std::uint32_t sessionId = kInvalidSession;
  std::uint32_t appType = 0;  // RM_APP_TYPE
};

// What a user session is to a question shown in it (WTSINFOEX_LEVEL1_W).
enum class SessionState : std::uint8_t {
  kActive,        // somebody can answer now
  kLocked,        // WTS_SESSIONSTATE_LOCK
  kDisconnected,  // not WTSActive
  kUnknown,       // the state could not be read
};

// What a question's box answered, as WTSSendMessageW gives it (IDOK, IDYES, IDNO, IDTIMEOUT),
// and two states of the launcher's own.
constexpr std::uint32_t kAnswerPending = 0;  // the box is still shown
constexpr std::uint32_t kAnswerOk = 1;
constexpr std::uint32_t kAnswerYes = 6;
constexpr std::uint32_t kAnswerNo = 7;
constexpr std::uint32_t kAnswerTimeout = 32000;
constexpr std::uint32_t kAnswerNotShown = 0xFFFFFFFF;  // WTSSendMessageW failed

// One box shown in a user session.
struct SessionQuestion {
  std::uint32_t sessionId = 0;
  std::u16string title;
  std::u16string text;
  std::uint32_t style = 0;  // MB_* flags
  std::uint32_t timeoutSeconds = 0;
};

class HoldersApi {
 public:
  virtual ~HoldersApi() = default;

  // Whether rstrtmgr.dll loads from the system folder with every function ListHolders calls
  // (Windows Vista and later). Looked up on the first call only.
  virtual bool HasRestartManager() = 0;
  // One Restart Manager session: RmStartSession, every file in one RmRegisterResources call,
  // RmGetList (again while it answers ERROR_MORE_DATA), RmEndSession. False with the failing
  // call's error; `holders` is then empty.
  virtual SysResult<bool> ListHolders(const std::vector<std::u16string>& files,
                                      std::vector<FileHolder>* holders) = 0;
  // The session's connection state and lock (WTSQuerySessionInformationW with
  // WTSSessionInfoEx; the lock flags read the other way round on Windows 7 and 2008 R2). Where
  // the lock cannot be told (Vista and 2008 have no WTSSessionInfoEx; a lock flag of
  // WTS_SESSIONSTATE_UNKNOWN) an active session counts as active.
  virtual SessionState ReadSessionState(std::uint32_t sessionId) = 0;
  // Shows every question at once: WTSSendMessageW with bWait TRUE, on a thread of its own for
  // each (the call returns only when its box is closed or times out). False when wtsapi32.dll
  // or its function is missing: nothing is shown then. Called once per run.
  virtual bool SendQuestions(const std::vector<SessionQuestion>& questions) = 0;
  // The answers to the questions sent, in their order; kAnswerPending while a box is shown.
  virtual std::vector<std::uint32_t> ReadAnswers() = 0;

  // The time in whole seconds since 1970-01-01 UTC (GetSystemTimeAsFileTime, turned into
  // seconds by ntdll's RtlTimeToSecondsSince1970); it fits until 2106.
  virtual std::uint32_t NowSeconds() = 0;
  // GetLocalTime: the clock time users see.
  virtual CalendarTime LocalNow() = 0;

  // The postponement value of the launcher's key; false with ERROR_FILE_NOT_FOUND when there
  // is none, ERROR_INVALID_DATA when it is not REG_SZ or longer than 1 KiB.
  virtual SysResult<bool> ReadPostponement(std::u16string* text) = 0;
  // Creates the launcher's key where it is missing and writes the value.
  virtual SysResult<bool> WritePostponement(const std::u16string& text) = 0;
  // Deletes the value, then the key when nothing else is left in it. False with
  // ERROR_FILE_NOT_FOUND when there was no value.
  virtual SysResult<bool> DeletePostponement() = 0;
};
