#pragma once

#include <string>
#include <vector>

#include "system/run_log.h"

// The run's log as a list of lines, the closing lines also on a list of their own; one
// millisecond passes per line.
class FakeRunLog : public RunLog {
 public:
  std::vector<std::u16string> lines;
  std::vector<std::u16string> closing;

  void Closing(LogParts parts) override {
    Line(parts);
    closing.push_back(lines.back());
  }
  void Line(LogParts parts) override {
    std::u16string line;
    for (const LogPart& part : parts) {
      if (part.ascii() != nullptr) {
        line.append(part.ascii(), part.ascii() + part.size());
      } else {
        line.append(part.wide(), part.size());
      }
    }
    lines.push_back(line);
  }
  std::uint32_t ElapsedMs() override { return static_cast<std::uint32_t>(lines.size()); }
};
