// A stand-in for wtsapi32.dll in the holders layer test, put into the prefix's system folder.
// Its WTSSendMessageW answers only a call that gives the current server, waits for the box and
// gives both lengths in bytes without the terminating zero (anything else fails with
// ERROR_INVALID_PARAMETER). It holds the first box until a second one is asked for: a box
// shown alone times out (IDTIMEOUT). Session 3's box stays until StandInRelease is called;
// session 4 refuses every box (ERROR_ACCESS_DENIED); session 1 answers IDYES, others IDNO.
#include <windows.h>

namespace {

LONG arrivals;
HANDLE secondArrived = CreateEventW(nullptr, TRUE, FALSE, nullptr);
HANDLE released = CreateEventW(nullptr, TRUE, FALSE, nullptr);
constexpr DWORD kLimit = 5000;  // ms

DWORD Bytes(LPWSTR text) {
  return static_cast<DWORD>(lstrlenW(text)) * sizeof(WCHAR);
}

}  // namespace

extern "C" {

void WINAPI StandInRelease() {
  SetEvent(released);
}

BOOL WINAPI WTSSendMessageW(HANDLE server, DWORD session, LPWSTR title, DWORD titleLength,
                            LPWSTR message, DWORD messageLength, DWORD, DWORD, DWORD* response,
                            BOOL wait) {
  if (server != nullptr || !wait || titleLength != Bytes(title) ||
      messageLength != Bytes(message)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (InterlockedIncrement(&arrivals) > 1) {
    SetEvent(secondArrived);
  } else if (WaitForSingleObject(secondArrived, kLimit) != WAIT_OBJECT_0) {
    *response = IDTIMEOUT;
    return TRUE;
  }
  if (session == 3) WaitForSingleObject(released, kLimit);
  if (session == 4) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  *response = session == 1 ? IDYES : IDNO;
  return TRUE;
}

}  // extern "C"
