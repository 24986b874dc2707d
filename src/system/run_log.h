#pragma once

#include <cstdint>
#include <string>

// The run's log as the core writes to it: one event per line, in the order things happen.
// Writing never fails visibly: a log that could not be created or written drops its lines and
// the run goes on as it would without one.
class RunLog {
 public:
  virtual ~RunLog() = default;

  // Appends `text` (no line end) as one line.
  virtual void Line(const std::u16string& text) = 0;
  // Milliseconds since the run began, for durations.
  virtual std::uint32_t ElapsedMs() = 0;
};

// A log that keeps nothing: for programs and tests that want none.
class NoRunLog final : public RunLog {
 public:
  void Line(const std::u16string&) override {}
  std::uint32_t ElapsedMs() override { return 0; }
};

// The one do-nothing log that a System without a log of its own writes to.
inline RunLog& NoLog() {
  static NoRunLog none;
  return none;
}
