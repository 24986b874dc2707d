// The script and the record shared by the stand-ins for rstrtmgr.dll and wtsapi32.dll
// (rstrtmgr_stand_in.c, wtsapi32_stand_in.c), which a scenario puts into its prefix's system
// folders: Wine's Restart Manager never lists a process, and its WTSSendMessageW shows nothing.
//
// The script is the UTF-8 file named by the environment variable ZIREL_HOLDERS_SCRIPT, one
// entry a line, fields separated by blanks:
//
//   record PATH                          where both stand-ins append what they were asked
//   holder PID SESSION TYPE RELEASE FILE NAME
//       a process that holds FILE, a file name that a registered path ends with after a
//       backslash, compared without regard to case ("*": any file): RM_PROCESS_INFO's
//       TSSessionId (a number, or "none" for RM_INVALID_SESSION) and ApplicationType
//       (RM_APP_TYPE as a number); NAME, the rest of the line, is its strAppName (and
//       strServiceShortName for a service). RELEASE: "never"; "yes": once its session
//       answered a question with IDYES; or a number N: listed by the first N Restart Manager
//       sessions of the process only.
//   session ID STATE ANSWER
//       STATE: active, locked or disconnected (WTSSessionInfoEx); a session without a line
//       cannot be queried. ANSWER: what a question shown there ends with: yes, no, ok (at once)
//       or timeout (IDTIMEOUT once its timeout has passed; never with a timeout of 0).
//
// The record is UTF-8, one JSON object a line, {"call": NAME, ...}; the stand-ins' sources say
// what each call's line holds. An answer line {"call":"answer","session":N,"response":N} is
// also how the Restart Manager's stand-in learns that a session answered.
#pragma once

#include <windows.h>

#define HOLDERS_MAX 16
#define HOLDERS_MAX_SESSIONS 8
#define HOLDERS_RELEASE_NEVER 0xFFFFFFFFu
#define HOLDERS_RELEASE_ON_YES 0xFFFFFFFEu

typedef struct {
  DWORD processId;
  DWORD sessionId;
  DWORD appType;
  DWORD release;  // a number of Restart Manager sessions, or one of the two values above
  WCHAR file[MAX_PATH];
  WCHAR name[256];
} ScriptHolder;

typedef enum { kSessionActive, kSessionLocked, kSessionDisconnected } ScriptSessionState;

typedef struct {
  DWORD id;
  ScriptSessionState state;
  DWORD response;  // IDYES, IDNO, IDOK or IDTIMEOUT
} ScriptSession;

typedef struct {
  WCHAR record[MAX_PATH];
  ScriptHolder holders[HOLDERS_MAX];
  int holderCount;
  ScriptSession sessions[HOLDERS_MAX_SESSIONS];
  int sessionCount;
} HoldersScript;

// Reads the script; an empty one (nothing held, no session, no record) when there is none.
// Lines it cannot read are left out.
void LoadHoldersScript(HoldersScript* script);

// One record line under construction.
typedef struct {
  char text[16384];
  size_t used;
  BOOL full;
} RecordLine;

void RecordStart(RecordLine* line, const char* call);
void RecordNumber(RecordLine* line, const char* key, DWORD value);
// `length` characters of `text`, or up to its terminating zero when `length` is -1.
void RecordText(RecordLine* line, const char* key, const WCHAR* text, int length);
// A JSON array of `count` zero-terminated texts.
void RecordTexts(RecordLine* line, const char* key, const WCHAR* const* texts, DWORD count);
// A JSON array of numbers.
void RecordNumbers(RecordLine* line, const char* key, const DWORD* values, int count);
// Ends the line and appends it to the script's record (one write, so that lines of calls on
// several threads stay whole).
void RecordFinish(const HoldersScript* script, RecordLine* line);

// Whether the record holds the answer line of `sessionId` with `response`.
BOOL RecordHasAnswer(const HoldersScript* script, DWORD sessionId, DWORD response);
