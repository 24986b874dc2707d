// Stands in for rstrtmgr.dll: lists the holders of holders_script.h's script whose file was
// registered, for as long as the script lets them hold it. Record lines:
//   {"call":"RmStartSession","handle":H,"flags":F}
//   {"call":"RmRegisterResources","handle":H,"fileCount":N,"files":[...],"applications":N,
//    "services":N,"result":R}
//   {"call":"RmGetList","handle":H,"room":N,"holders":[process ids],"result":R}
//   {"call":"RmEndSession","handle":H,"result":R}
#include <windows.h>

#include <restartmanager.h>
#include <wchar.h>

#include "holders_script.h"

_Static_assert(sizeof(RM_UNIQUE_PROCESS) == 12, "RM_UNIQUE_PROCESS as Windows lays it out");
_Static_assert(sizeof(RM_PROCESS_INFO) == 668, "RM_PROCESS_INFO as 32-bit Windows lays it out");

#define MAX_OPEN 8
#define MAX_FILES 64
#define ERROR_MAX_SESSIONS_REACHED 353

typedef struct {
  BOOL open;
  DWORD handle;
  DWORD number;     // 1 for the process's first session
  DWORD heldFiles;  // bit i: holder i holds a registered file
} RmSession;

static HoldersScript script;
static RmSession sessions[MAX_OPEN];
static DWORD sessionsStarted;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) LoadHoldersScript(&script);
  return TRUE;
}

static RmSession* FindSession(DWORD handle) {
  for (int i = 0; i < MAX_OPEN; ++i) {
    if (sessions[i].open && sessions[i].handle == handle) return &sessions[i];
  }
  return NULL;
}

// Whether `path` is `file` or ends with a backslash and `file`; "*" matches any path.
static BOOL Holds(const WCHAR* path, const WCHAR* file) {
  if (wcscmp(file, L"*") == 0) return TRUE;
  size_t pathLength = wcslen(path);
  size_t fileLength = wcslen(file);
  if (fileLength > pathLength) return FALSE;
  const WCHAR* tail = path + pathLength - fileLength;
  return _wcsicmp(tail, file) == 0 && (tail == path || tail[-1] == L'\\');
}

static BOOL StillHolds(const ScriptHolder* holder, const RmSession* session) {
  if (holder->release == HOLDERS_RELEASE_NEVER) return TRUE;
  if (holder->release == HOLDERS_RELEASE_ON_YES) {
    return !RecordHasAnswer(&script, holder->sessionId, IDYES);
  }
  return session->number <= holder->release;
}

DWORD WINAPI RmStartSession(DWORD* pSessionHandle, DWORD dwSessionFlags, WCHAR strSessionKey[]) {
  RecordLine line;
  RecordStart(&line, "RmStartSession");
  RmSession* slot = NULL;
  for (int i = 0; i < MAX_OPEN && slot == NULL; ++i) {
    if (!sessions[i].open) slot = &sessions[i];
  }
  DWORD result = ERROR_SUCCESS;
  if (pSessionHandle == NULL || strSessionKey == NULL || dwSessionFlags != 0) {
    result = ERROR_INVALID_PARAMETER;
  } else if (slot == NULL) {
    result = ERROR_MAX_SESSIONS_REACHED;
  } else {
    ++sessionsStarted;
    slot->open = TRUE;
    slot->handle = sessionsStarted;
    slot->number = sessionsStarted;
    slot->heldFiles = 0;
    *pSessionHandle = slot->handle;
    for (size_t i = 0; i < CCH_RM_SESSION_KEY; ++i) strSessionKey[i] = L"0123456789abcdef"[i % 16];
    strSessionKey[CCH_RM_SESSION_KEY] = L'\0';
    RecordNumber(&line, "handle", slot->handle);
  }
  RecordNumber(&line, "flags", dwSessionFlags);
  RecordNumber(&line, "result", result);
  RecordFinish(&script, &line);
  return result;
}

DWORD WINAPI RmRegisterResources(DWORD dwSessionHandle, UINT nFiles, LPCWSTR rgsFileNames[],
                                 UINT nApplications, RM_UNIQUE_PROCESS rgApplications[],
                                 UINT nServices, LPCWSTR rgsServiceNames[]) {
  (void)rgApplications;
  (void)rgsServiceNames;
  RmSession* session = FindSession(dwSessionHandle);
  DWORD result = ERROR_SUCCESS;
  if (session == NULL) {
    result = ERROR_INVALID_HANDLE;
  } else if (nFiles > 0 && rgsFileNames == NULL) {
    result = ERROR_INVALID_PARAMETER;
  } else {
    for (UINT f = 0; f < nFiles; ++f) {
      for (int h = 0; h < script.holderCount; ++h) {
        if (Holds(rgsFileNames[f], script.holders[h].file)) session->heldFiles |= 1u << h;
      }
    }
  }
  RecordLine line;
  RecordStart(&line, "RmRegisterResources");
  RecordNumber(&line, "handle", dwSessionHandle);
  RecordNumber(&line, "fileCount", nFiles);
  RecordTexts(&line, "files", rgsFileNames, nFiles < MAX_FILES ? nFiles : MAX_FILES);
  RecordNumber(&line, "applications", nApplications);
  RecordNumber(&line, "services", nServices);
  RecordNumber(&line, "result", result);
  RecordFinish(&script, &line);
  return result;
}

static void Fill(RM_PROCESS_INFO* info, const ScriptHolder* holder) {
  ZeroMemory(info, sizeof *info);
  info->Process.dwProcessId = holder->processId;
  // Any start time: the same process always reports the same one.
  info->Process.ProcessStartTime.dwLowDateTime = holder->processId * 7919u;
  info->Process.ProcessStartTime.dwHighDateTime = 0x01DA0000u;
  lstrcpynW(info->strAppName, holder->name, CCH_RM_MAX_APP_NAME + 1);
  if (holder->appType == RmService) {
    lstrcpynW(info->strServiceShortName, holder->name, CCH_RM_MAX_SVC_NAME + 1);
  }
  info->ApplicationType = (RM_APP_TYPE)holder->appType;
  info->AppStatus = RmStatusRunning;
  info->TSSessionId = holder->sessionId;
  info->bRestartable = FALSE;
}

DWORD WINAPI RmGetList(DWORD dwSessionHandle, UINT* pnProcInfoNeeded, UINT* pnProcInfo,
                       RM_PROCESS_INFO rgAffectedApps[], LPDWORD lpdwRebootReasons) {
  RmSession* session = FindSession(dwSessionHandle);
  DWORD listed[HOLDERS_MAX];
  int count = 0;
  UINT room = pnProcInfo != NULL ? *pnProcInfo : 0;
  DWORD result = ERROR_SUCCESS;
  if (session == NULL) {
    result = ERROR_INVALID_HANDLE;
  } else if (pnProcInfoNeeded == NULL || pnProcInfo == NULL || lpdwRebootReasons == NULL ||
             (room > 0 && rgAffectedApps == NULL)) {
    result = ERROR_INVALID_PARAMETER;
  } else {
    const ScriptHolder* holding[HOLDERS_MAX];
    for (int h = 0; h < script.holderCount; ++h) {
      if ((session->heldFiles & (1u << h)) && StillHolds(&script.holders[h], session)) {
        holding[count] = &script.holders[h];
        listed[count++] = script.holders[h].processId;
      }
    }
    *pnProcInfoNeeded = (UINT)count;
    *lpdwRebootReasons = RmRebootReasonNone;
    if (room < (UINT)count) {
      *pnProcInfo = 0;
      result = ERROR_MORE_DATA;
    } else {
      for (int i = 0; i < count; ++i) Fill(&rgAffectedApps[i], holding[i]);
      *pnProcInfo = (UINT)count;
    }
  }
  RecordLine line;
  RecordStart(&line, "RmGetList");
  RecordNumber(&line, "handle", dwSessionHandle);
  RecordNumber(&line, "room", room);
  RecordNumbers(&line, "holders", listed, count);
  RecordNumber(&line, "result", result);
  RecordFinish(&script, &line);
  return result;
}

DWORD WINAPI RmEndSession(DWORD dwSessionHandle) {
  RmSession* session = FindSession(dwSessionHandle);
  DWORD result = ERROR_INVALID_HANDLE;
  if (session != NULL) {
    session->open = FALSE;
    result = ERROR_SUCCESS;
  }
  RecordLine line;
  RecordStart(&line, "RmEndSession");
  RecordNumber(&line, "handle", dwSessionHandle);
  RecordNumber(&line, "result", result);
  RecordFinish(&script, &line);
  return result;
}
