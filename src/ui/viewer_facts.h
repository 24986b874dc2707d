#pragma once

#include <cstdint>
#include <optional>

#include "system/run_log.h"

constexpr std::uint32_t kWsfVisible = 1;  // WSF_VISIBLE of USEROBJECTFLAGS.dwFlags

// What Windows tells about who could see this process's windows. A fact that could not be
// read is empty.
struct ViewerFacts {
  // GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS): USEROBJECTFLAGS.dwFlags.
  std::optional<std::uint32_t> stationFlags;
  // ProcessIdToSessionId of this process.
  std::optional<std::uint32_t> sessionId;
  // GetVersionExW's major version; 0 when unread.
  std::uint32_t majorVersion = 0;
};

// Whether somebody can see this process's windows: not on a window station without
// WSF_VISIBLE (a service's or a deployment system's), nor in session 0 on Windows Vista and
// later, where no user works; otherwise, and when the facts cannot tell, yes. The facts and
// the answer go to `log`.
bool DecideSomebodyCanSee(const ViewerFacts& facts, RunLog& log);
