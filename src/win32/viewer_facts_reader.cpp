#include "win32/viewer_facts_reader.h"

#include <windows.h>

ViewerFacts ReadViewerFacts() {
  ViewerFacts facts;
  // The station handle belongs to the process and is never closed.
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  if (HWINSTA station = GetProcessWindowStation();
      station != nullptr &&
      GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed)) {
    facts.stationFlags = flags.dwFlags;
  }
  using SessionOfProcess = BOOL(WINAPI*)(DWORD, DWORD*);
  const auto sessionOf = reinterpret_cast<SessionOfProcess>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "ProcessIdToSessionId")));
  DWORD session = 0;
  if (sessionOf != nullptr && sessionOf(GetCurrentProcessId(), &session)) {
    facts.sessionId = session;
  }
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (GetVersionExW(&version)) facts.majorVersion = version.dwMajorVersion;
  return facts;
}
