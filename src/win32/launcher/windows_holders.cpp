// The clock of the questions and postponements; the rest is in the parts WindowsHolders joins.
#include "win32/launcher/windows_holders.h"

#include <windows.h>

#include "win32/find_export.h"

// ntdll's own conversion spares the program a 64-bit division (and the library code it needs on
// x86). Every Windows NT has it; 0 where it were missing, which no postponement survives.
std::uint32_t WindowsHolders::NowSeconds() {
  BOOLEAN(WINAPI * toSeconds)(LARGE_INTEGER*, ULONG*) = nullptr;
  FILETIME now = {};
  GetSystemTimeAsFileTime(&now);
  LARGE_INTEGER time = {};
  time.LowPart = now.dwLowDateTime;
  time.HighPart = static_cast<LONG>(now.dwHighDateTime);
  ULONG seconds = 0;
  if (!FindExport(GetModuleHandleW(L"ntdll.dll"), "RtlTimeToSecondsSince1970", &toSeconds) ||
      !toSeconds(&time, &seconds)) {
    return 0;
  }
  return seconds;
}

CalendarTime WindowsHolders::LocalNow() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}
