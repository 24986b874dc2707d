#pragma once

#include <string>
#include <vector>

#include "system/run_log.h"

// The run's log as a list of lines; one millisecond passes per line.
class FakeRunLog : public RunLog {
 public:
  std::vector<std::u16string> lines;

  void Line(const std::u16string& text) override { lines.push_back(text); }
  std::uint32_t ElapsedMs() override { return static_cast<std::uint32_t>(lines.size()); }
};
