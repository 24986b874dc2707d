// The clock of the questions and postponements; the rest is in the parts WindowsHolders joins.
#include "win32/launcher/windows_holders.h"

#include <windows.h>

namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000;  // FILETIME counts 100 ns

}  // namespace

std::uint64_t WindowsHolders::NowSeconds() {
  FILETIME now = {};
  GetSystemTimeAsFileTime(&now);
  return ((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime) / kTicksPerSecond;
}

CalendarTime WindowsHolders::LocalNow() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}
