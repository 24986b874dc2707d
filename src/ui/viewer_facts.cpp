#include "ui/viewer_facts.h"

#include "common/number_text.h"
#include "log/log_lines.h"

namespace {

constexpr std::uint32_t kVistaMajorVersion = 6;

std::u16string FactText(const std::optional<std::uint32_t>& fact) {
  return fact ? DecimalText(*fact) : u"unreadable";
}

}  // namespace

bool DecideSomebodyCanSee(const ViewerFacts& facts, RunLog& log) {
  const bool stationHidden = facts.stationFlags && (*facts.stationFlags & kWsfVisible) == 0;
  // Since Windows Vista session 0 holds only services: users log on to sessions 1 and up.
  const bool serviceSession =
      facts.majorVersion >= kVistaMajorVersion && facts.sessionId && *facts.sessionId == 0;
  const bool canSee = !stationHidden && !serviceSession;
  log.Line({"display: window station flags ", FactText(facts.stationFlags), ", session ",
            FactText(facts.sessionId),
            "; somebody can see this process's windows: ", YesNo(canSee)});
  return canSee;
}
