#include "win32/launcher/viewer_facts_reader.h"

#include <windows.h>

#include "win32/find_export.h"

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
  BOOL(WINAPI * sessionOf)(DWORD, DWORD*) = nullptr;
  DWORD session = 0;
  if (FindExport(GetModuleHandleW(L"kernel32.dll"), "ProcessIdToSessionId", &sessionOf) &&
      sessionOf(GetCurrentProcessId(), &session)) {
    facts.sessionId = session;
  }
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (GetVersionExW(&version)) facts.majorVersion = version.dwMajorVersion;
  return facts;
}
