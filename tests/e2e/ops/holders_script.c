#include "holders_script.h"

#include <stdio.h>
#include <string.h>

#define SCRIPT_MAX_BYTES 65536

// The next blank-separated field of `*at` (up to `end`), zero-terminated in place; NULL when
// none is left. With `rest`, the field runs to the end of the line.
static char* NextField(char** at, char* end, BOOL rest) {
  char* start = *at;
  while (start < end && *start == ' ') ++start;
  if (start >= end) return NULL;
  char* stop = start;
  while (stop < end && (rest || *stop != ' ')) ++stop;
  *stop = '\0';
  *at = stop < end ? stop + 1 : end;
  return start;
}

static BOOL ParseNumber(const char* text, DWORD* value) {
  if (text == NULL || *text == '\0') return FALSE;
  DWORD number = 0;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return FALSE;
    number = number * 10 + (DWORD)(*text - '0');
  }
  *value = number;
  return TRUE;
}

static void Widen(const char* text, WCHAR* out, int room) {
  out[0] = L'\0';
  int written = MultiByteToWideChar(CP_UTF8, 0, text, -1, out, room);
  if (written == 0) out[room - 1] = L'\0';
}

static BOOL ParseHolder(char** at, char* end, ScriptHolder* holder) {
  char* pid = NextField(at, end, FALSE);
  char* session = NextField(at, end, FALSE);
  char* type = NextField(at, end, FALSE);
  char* release = NextField(at, end, FALSE);
  char* file = NextField(at, end, FALSE);
  char* name = NextField(at, end, TRUE);
  if (name == NULL || !ParseNumber(pid, &holder->processId) ||
      !ParseNumber(type, &holder->appType)) {
    return FALSE;
  }
  if (strcmp(session, "none") == 0) {
    holder->sessionId = 0xFFFFFFFFu;
  } else if (!ParseNumber(session, &holder->sessionId)) {
    return FALSE;
  }
  if (strcmp(release, "never") == 0) {
    holder->release = HOLDERS_RELEASE_NEVER;
  } else if (strcmp(release, "yes") == 0) {
    holder->release = HOLDERS_RELEASE_ON_YES;
  } else if (!ParseNumber(release, &holder->release)) {
    return FALSE;
  }
  Widen(file, holder->file, MAX_PATH);
  Widen(name, holder->name, 256);
  return TRUE;
}

static BOOL ParseSession(char** at, char* end, ScriptSession* session) {
  static const char* const kStates[] = {"active", "locked", "disconnected"};
  static const char* const kAnswers[] = {"yes", "no", "ok", "timeout"};
  static const DWORD kResponses[] = {IDYES, IDNO, IDOK, 32000 /* IDTIMEOUT */};
  char* id = NextField(at, end, FALSE);
  char* state = NextField(at, end, FALSE);
  char* answer = NextField(at, end, FALSE);
  if (answer == NULL || !ParseNumber(id, &session->id)) return FALSE;
  int found = 0;
  for (int i = 0; i < 3; ++i) {
    if (strcmp(state, kStates[i]) == 0) {
      session->state = (ScriptSessionState)i;
      found |= 1;
    }
  }
  for (int i = 0; i < 4; ++i) {
    if (strcmp(answer, kAnswers[i]) == 0) {
      session->response = kResponses[i];
      found |= 2;
    }
  }
  return found == 3;
}

void LoadHoldersScript(HoldersScript* script) {
  memset(script, 0, sizeof *script);
  WCHAR path[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(L"ZIREL_HOLDERS_SCRIPT", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  static char text[SCRIPT_MAX_BYTES + 1];
  DWORD read = 0;
  BOOL ok = ReadFile(file, text, SCRIPT_MAX_BYTES, &read, NULL);
  CloseHandle(file);
  if (!ok) return;
  text[read] = '\0';
  for (char* line = text; line < text + read;) {
    char* end = line;
    while (end < text + read && *end != '\n') ++end;
    char* next = end + 1;
    if (end > line && end[-1] == '\r') --end;
    *end = '\0';
    char* at = line;
    const char* kind = NextField(&at, end, FALSE);
    line = next;
    if (kind == NULL) continue;
    if (strcmp(kind, "record") == 0) {
      const char* target = NextField(&at, end, TRUE);
      if (target != NULL) Widen(target, script->record, MAX_PATH);
    } else if (strcmp(kind, "holder") == 0 && script->holderCount < HOLDERS_MAX) {
      if (ParseHolder(&at, end, &script->holders[script->holderCount])) ++script->holderCount;
    } else if (strcmp(kind, "session") == 0 && script->sessionCount < HOLDERS_MAX_SESSIONS) {
      if (ParseSession(&at, end, &script->sessions[script->sessionCount])) {
        ++script->sessionCount;
      }
    }
  }
}

static void Append(RecordLine* line, const char* text, size_t length) {
  if (line->full || line->used + length + 3 > sizeof line->text) {
    line->full = TRUE;
    return;
  }
  memcpy(line->text + line->used, text, length);
  line->used += length;
}

static void AppendText(RecordLine* line, const char* text) {
  Append(line, text, strlen(text));
}

static void AppendKey(RecordLine* line, const char* key) {
  AppendText(line, ",\"");
  AppendText(line, key);
  AppendText(line, "\":");
}

void RecordStart(RecordLine* line, const char* call) {
  line->used = 0;
  line->full = FALSE;
  AppendText(line, "{\"call\":\"");
  AppendText(line, call);
  AppendText(line, "\"");
}

void RecordNumber(RecordLine* line, const char* key, DWORD value) {
  char digits[16];
  snprintf(digits, sizeof digits, "%lu", (unsigned long)value);
  AppendKey(line, key);
  AppendText(line, digits);
}

static void AppendString(RecordLine* line, const WCHAR* text, int length) {
  if (text == NULL) {
    AppendText(line, "null");
    return;
  }
  char utf8[12288];
  int bytes = length == 0 ? 0
                          : WideCharToMultiByte(CP_UTF8, 0, text, length, utf8,
                                                (int)sizeof utf8 - 1, NULL, NULL);
  if (length == -1 && bytes > 0) --bytes;  // the terminating zero
  AppendText(line, "\"");
  for (int i = 0; i < bytes; ++i) {
    unsigned char c = (unsigned char)utf8[i];
    char escaped[8];
    if (c == '"' || c == '\\') {
      escaped[0] = '\\';
      escaped[1] = (char)c;
      escaped[2] = '\0';
    } else if (c < 0x20) {
      snprintf(escaped, sizeof escaped, "\\u%04x", c);
    } else {
      escaped[0] = (char)c;
      escaped[1] = '\0';
    }
    AppendText(line, escaped);
  }
  AppendText(line, "\"");
}

void RecordText(RecordLine* line, const char* key, const WCHAR* text, int length) {
  AppendKey(line, key);
  AppendString(line, text, length);
}

void RecordTexts(RecordLine* line, const char* key, const WCHAR* const* texts, DWORD count) {
  AppendKey(line, key);
  AppendText(line, "[");
  for (DWORD i = 0; texts != NULL && i < count; ++i) {
    if (i > 0) AppendText(line, ",");
    AppendString(line, texts[i], -1);
  }
  AppendText(line, "]");
}

void RecordNumbers(RecordLine* line, const char* key, const DWORD* values, int count) {
  AppendKey(line, key);
  AppendText(line, "[");
  for (int i = 0; i < count; ++i) {
    char digits[16];
    snprintf(digits, sizeof digits, i == 0 ? "%lu" : ",%lu", (unsigned long)values[i]);
    AppendText(line, digits);
  }
  AppendText(line, "]");
}

void RecordFinish(const HoldersScript* script, RecordLine* line) {
  if (script->record[0] == L'\0') return;
  if (line->full) {
    RecordStart(line, "record line too long");
  }
  memcpy(line->text + line->used, "}\n", 2);
  line->used += 2;
  HANDLE file = CreateFileW(script->record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line->text, (DWORD)line->used, &written, NULL);
  CloseHandle(file);
}

BOOL RecordHasAnswer(const HoldersScript* script, DWORD sessionId, DWORD response) {
  char wanted[96];
  snprintf(wanted, sizeof wanted, "{\"call\":\"answer\",\"session\":%lu,\"response\":%lu}\n",
           (unsigned long)sessionId, (unsigned long)response);
  HANDLE file = CreateFileW(script->record, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  static char text[262144];
  DWORD read = 0;
  BOOL ok = ReadFile(file, text, sizeof text - 1, &read, NULL);
  CloseHandle(file);
  text[ok ? read : 0] = '\0';
  return strstr(text, wanted) != NULL;
}
