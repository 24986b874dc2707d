// Stands in for wtsapi32.dll: the sessions of holders_script.h's script, their state and how
// their users answer. Record lines:
//   {"call":"WTSQuerySessionInformationW","session":S,"class":C}
//   {"call":"WTSFreeMemory"}
//   {"call":"WTSSendMessageW","session":S,"title":T,"titleLength":N,"text":T,"textLength":N,
//    "style":N,"timeout":N,"wait":N,"clock":"hh:mm:ss"}   when the call is made: title and text
//    up to their zero, the local time of the call
//   {"call":"answer","session":S,"response":N}   when it returns with an answer
#include <windows.h>

#include <stddef.h>
#include <wtsapi32.h>

#include "holders_script.h"

#define WTS_SESSION_INFO_EX 25
#define WTS_SESSIONSTATE_LOCK 0
#define WTS_SESSIONSTATE_UNLOCK 1
#define RESPONSE_TIMEOUT 32000
#define RESPONSE_ASYNC 32001
#define ERROR_SESSION_NOT_FOUND 7022  // ERROR_CTX_WINSTATION_NOT_FOUND

// WTSINFOEXW with its level 1, which the compiler's headers lack.
typedef struct {
  ULONG SessionId;
  WTS_CONNECTSTATE_CLASS SessionState;
  LONG SessionFlags;
  WCHAR WinStationName[33];
  WCHAR UserName[21];
  WCHAR DomainName[18];
  LARGE_INTEGER LogonTime;
  LARGE_INTEGER ConnectTime;
  LARGE_INTEGER DisconnectTime;
  LARGE_INTEGER LastInputTime;
  LARGE_INTEGER CurrentTime;
  DWORD IncomingBytes;
  DWORD OutgoingBytes;
  DWORD IncomingFrames;
  DWORD OutgoingFrames;
  DWORD IncomingCompressedBytes;
  DWORD OutgoingCompressedBytes;
} InfoExLevel1;

typedef struct {
  DWORD Level;
  union {
    InfoExLevel1 WTSInfoExLevel1;
  } Data;
} InfoEx;

_Static_assert(offsetof(InfoEx, Data) == 8, "WTSINFOEXW's union after 8 bytes");
_Static_assert(offsetof(InfoEx, Data.WTSInfoExLevel1.SessionFlags) == 16, "SessionFlags");
_Static_assert(sizeof(InfoEx) == 232, "WTSINFOEXW as Windows lays it out");

static HoldersScript script;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) LoadHoldersScript(&script);
  return TRUE;
}

static const ScriptSession* FindSession(DWORD id) {
  for (int i = 0; i < script.sessionCount; ++i) {
    if (script.sessions[i].id == id) return &script.sessions[i];
  }
  return NULL;
}

// Windows 7 and Server 2008 R2 report the lock the other way round.
static BOOL LockFlagReversed(void) {
  OSVERSIONINFOW version = {sizeof version, 0, 0, 0, 0, {0}};
  return GetVersionExW(&version) && version.dwMajorVersion == 6 && version.dwMinorVersion == 1;
}

BOOL WINAPI WTSQuerySessionInformationW(HANDLE hServer, DWORD SessionId,
                                        WTS_INFO_CLASS WTSInfoClass, LPWSTR* ppBuffer,
                                        DWORD* pBytesReturned) {
  (void)hServer;
  RecordLine line;
  RecordStart(&line, "WTSQuerySessionInformationW");
  RecordNumber(&line, "session", SessionId);
  RecordNumber(&line, "class", (DWORD)WTSInfoClass);
  RecordFinish(&script, &line);
  const ScriptSession* session = FindSession(SessionId);
  if (ppBuffer == NULL || pBytesReturned == NULL) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if ((DWORD)WTSInfoClass != WTS_SESSION_INFO_EX) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  if (session == NULL) {
    SetLastError(ERROR_SESSION_NOT_FOUND);
    return FALSE;
  }
  InfoEx* info = (InfoEx*)LocalAlloc(LPTR, sizeof(InfoEx));
  if (info == NULL) return FALSE;
  InfoExLevel1* level1 = &info->Data.WTSInfoExLevel1;
  info->Level = 1;
  level1->SessionId = SessionId;
  level1->SessionState = session->state == kSessionDisconnected ? WTSDisconnected : WTSActive;
  BOOL locked = session->state == kSessionLocked;
  if (LockFlagReversed()) locked = !locked;
  level1->SessionFlags = locked ? WTS_SESSIONSTATE_LOCK : WTS_SESSIONSTATE_UNLOCK;
  lstrcpyW(level1->WinStationName, L"Console");
  lstrcpyW(level1->UserName, L"user");
  *ppBuffer = (LPWSTR)info;
  *pBytesReturned = sizeof(InfoEx);
  return TRUE;
}

VOID WINAPI WTSFreeMemory(PVOID pMemory) {
  RecordLine line;
  RecordStart(&line, "WTSFreeMemory");
  RecordFinish(&script, &line);
  LocalFree(pMemory);
}

BOOL WINAPI WTSSendMessageW(HANDLE hServer, DWORD SessionId, LPWSTR pTitle, DWORD TitleLength,
                            LPWSTR pMessage, DWORD MessageLength, DWORD Style, DWORD Timeout,
                            DWORD* pResponse, BOOL bWait) {
  (void)hServer;
  RecordLine line;
  RecordStart(&line, "WTSSendMessageW");
  RecordNumber(&line, "session", SessionId);
  RecordText(&line, "title", pTitle, -1);
  RecordNumber(&line, "titleLength", TitleLength);
  RecordText(&line, "text", pMessage, -1);
  RecordNumber(&line, "textLength", MessageLength);
  RecordNumber(&line, "style", Style);
  RecordNumber(&line, "timeout", Timeout);
  RecordNumber(&line, "wait", (DWORD)bWait);
  SYSTEMTIME now;
  GetLocalTime(&now);
  WCHAR clock[9];
  wsprintfW(clock, L"%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
  RecordText(&line, "clock", clock, -1);
  RecordFinish(&script, &line);
  const ScriptSession* session = FindSession(SessionId);
  if (pResponse == NULL) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (session == NULL) {
    SetLastError(ERROR_SESSION_NOT_FOUND);
    return FALSE;
  }
  if (!bWait) {
    *pResponse = RESPONSE_ASYNC;
    return TRUE;
  }
  if (session->response == RESPONSE_TIMEOUT) {
    Sleep(Timeout == 0 ? INFINITE : Timeout * 1000);
  }
  RecordStart(&line, "answer");
  RecordNumber(&line, "session", SessionId);
  RecordNumber(&line, "response", session->response);
  RecordFinish(&script, &line);
  *pResponse = session->response;
  return TRUE;
}
