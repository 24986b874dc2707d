#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

// One piece of a log line: a UTF-16 text, or a literal of the program's own wording in ASCII
// (which takes half the room of its UTF-16 form in the executable).
class LogPart {
 public:
  template <std::size_t N>
  LogPart(const char (&ascii)[N]) : ascii_(ascii), size_(N - 1) {}
  LogPart(const char16_t* text) : wide_(text), size_(std::char_traits<char16_t>::length(text)) {}
  LogPart(const std::u16string& text) : wide_(text.data()), size_(text.size()) {}
  // An ASCII literal that reached here as a pointer, from a table or a choice between two.
  static LogPart Ascii(const char* ascii) {
    LogPart part(u"");
    part.ascii_ = ascii;
    part.wide_ = nullptr;
    part.size_ = std::char_traits<char>::length(ascii);
    return part;
  }

  // Exactly one of the two is set.
  const char* ascii() const { return ascii_; }
  const char16_t* wide() const { return wide_; }
  std::size_t size() const { return size_; }

 private:
  const char* ascii_ = nullptr;
  const char16_t* wide_ = nullptr;
  std::size_t size_ = 0;
};

// The pieces of one line, in order.
using LogParts = std::initializer_list<LogPart>;

// What a line is to a log that has reached its size limit: an event of the run is dropped
// then; a line that closes the run (the restart decision and what Windows answered, the exit
// code, an internal failure) still goes in, so that the log ends as every log does.
enum class LineKind { kEvent, kClosing };

// The most closing lines one run writes, and the most characters in the text of each: a log
// with a size limit keeps room for them. RestartSystem writes Windows' answer to each attempt
// and one line on what the last answer means; the driver one line before it (the decision) and
// one after (the outcome); then comes the exit code, or an internal failure's last words (room
// is kept for both).
constexpr std::size_t kMostRestartSystemLines = 5;
constexpr std::size_t kMostClosingLines = 1 + kMostRestartSystemLines + 1 + 2;
constexpr std::size_t kClosingTextMax = 120;

// The run's log as the core writes to it: one event per line, in the order things happen.
// Writing never fails visibly: a log that could not be created or written drops its lines and
// the run goes on as it would without one.
class RunLog {
 public:
  virtual ~RunLog() = default;

  // Appends `parts`, joined, as one line (no line end).
  virtual void Line(LogParts parts) = 0;
  // The same for a line that closes the run (see LineKind).
  virtual void Closing(LogParts parts) = 0;
  // Milliseconds since the run began, for durations.
  virtual std::uint32_t ElapsedMs() = 0;
};

// A log that keeps nothing: for programs and tests that want none.
class NoRunLog final : public RunLog {
 public:
  void Line(LogParts) override {}
  void Closing(LogParts) override {}
  std::uint32_t ElapsedMs() override { return 0; }
};

// The one do-nothing log that a System without a log of its own writes to.
inline RunLog& NoLog() {
  static NoRunLog none;
  return none;
}
