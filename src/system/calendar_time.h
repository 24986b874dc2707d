#pragma once

#include <cstdint>

// The parts of a SYSTEMTIME the program uses: a date and a time to the second.
struct CalendarTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
};
