#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_kernel.h"
#include "system/process_api.h"

// Child processes: every start is recorded; exit codes are scripted per command line prefix
// (the longest matching prefix wins, default 0). A program listed in `missingPrograms`, or an
// empty command line, fails to start with ERROR_FILE_NOT_FOUND; one listed in `startErrors`
// fails with the error given. Programs are named by the first token of the command line.
class FakeProcesses : public ProcessApi {
 public:
  struct Start {
    std::u16string applicationName;  // empty when none was passed
    std::u16string commandLine;
    std::uint32_t creationFlags = 0;
  };

  explicit FakeProcesses(FakeKernel& kernel) : kernel_(kernel) {}

  std::map<std::u16string, std::uint32_t> exitCodes;    // command-line prefix -> exit code
  std::set<std::u16string> missingPrograms;             // first tokens that cannot start
  std::map<std::u16string, std::uint32_t> startErrors;  // first token -> CreateProcess error
  bool exitCodeReadFails = false;                       // GetExitCodeProcess fails
  std::vector<Start> started;
  std::vector<std::uint32_t> waits;          // timeouts passed to WaitForObject
  std::vector<ProcessHandle> waitedHandles;  // handles passed to WaitForObject
  std::vector<ProcessHandles> handedOut;     // the handles of every start

  SysResult<bool> StartProcess(const char16_t* applicationName, char16_t* commandLine,
                               std::uint32_t creationFlags, ProcessHandles* handles) override {
    std::u16string line = commandLine ? commandLine : u"";
    std::u16string program = line.substr(0, line.find(u' '));
    auto error = startErrors.find(program);
    if (line.empty() || missingPrograms.count(program) || error != startErrors.end()) {
      kernel_.Log("CreateProcess failed " + Utf8(line));
      return {false, error != startErrors.end() ? error->second : 2};
    }
    started.push_back({applicationName ? applicationName : u"", line, creationFlags});
    kernel_.Log("CreateProcess " + Utf8(line));
    // CreateProcessW may write into the command-line buffer it is given.
    if (!line.empty()) commandLine[0] = u'#';
    handles->process = kernel_.OpenHandle("process");
    handles->thread = kernel_.OpenHandle("thread");
    handedOut.push_back(*handles);
    std::uint32_t code = 0;
    std::size_t best = 0;
    for (const auto& [prefix, exitCode] : exitCodes) {
      if (line.compare(0, prefix.size(), prefix) == 0 && prefix.size() >= best) {
        best = prefix.size();
        code = exitCode;
      }
    }
    exitCodeOf_[handles->process] = code;
    return {true, 0};
  }
  std::uint32_t WaitForObject(ProcessHandle handle, std::uint32_t milliseconds) override {
    waits.push_back(milliseconds);
    waitedHandles.push_back(handle);
    return kernel_.IsOpen(handle) ? 0 : 0xFFFFFFFFu;
  }
  bool ReadExitCode(ProcessHandle process, std::uint32_t* exitCode) override {
    auto it = exitCodeOf_.find(process);
    if (exitCodeReadFails || it == exitCodeOf_.end() || !kernel_.IsOpen(process)) {
      kernel_.lastError = 6;
      return false;
    }
    *exitCode = it->second;
    return true;
  }

  std::vector<std::u16string> CommandLines() const {
    std::vector<std::u16string> lines;
    for (const auto& start : started) lines.push_back(start.commandLine);
    return lines;
  }

 private:
  FakeKernel& kernel_;
  std::map<ProcessHandle, std::uint32_t> exitCodeOf_;
};
