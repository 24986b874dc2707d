#include "actions/process_runner.h"

#include <vector>

#include "common/ascii_text.h"
#include "common/number_text.h"
#include "common/scoped_handles.h"
#include "common/sized_text.h"
#include "common/win_errors.h"
#include "installer/package_lookup.h"
#include "log/log_lines.h"
#include "log/secret_mask.h"

std::u16string SystemFolder(const System& sys, bool windowsFolder) {
  std::u16string directory;
  const std::uint32_t error = ReadSizedText(
      kMaxPath,
      [&](char16_t* buffer, std::uint32_t length) {
        return windowsFolder ? sys.files.ReadWindowsDirectory(buffer, length)
                             : sys.files.ReadSystemDirectory(buffer, length);
      },
      directory);
  if (error != 0 || directory.empty()) return {};
  if (directory.back() != u'\\') directory += u'\\';
  return directory;
}

namespace {

// The program's path in the system directory, else in the Windows directory; empty when it is
// in neither. Only bare names are looked up: a name with a path, a drive or a quote is refused,
// so the program can never come from the current directory or the launcher's own directory.
std::u16string LocateProgram(const System& sys, const std::u16string& name) {
  if (name.empty() || name.find_first_of(u"\\/:\"") != std::u16string::npos) return {};
  const std::u16string file = EndsWithNoCase(name, u".exe") ? name : name + u".exe";
  for (const bool windowsFolder : {false, true}) {
    const std::u16string directory = SystemFolder(sys, windowsFolder);
    if (directory.empty()) continue;
    const std::u16string path = directory + file;
    const std::uint32_t attributes = sys.files.ReadFileAttributes(path.c_str());
    if (attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) == 0) {
      return path;
    }
  }
  return {};
}

// The directory the child starts in: the launcher's own current directory.
std::u16string CurrentDirectory(const System& sys) {
  std::u16string directory;
  const std::uint32_t error = ReadCurrentDirectoryText(sys.files, directory);
  return error == 0 ? directory : u"(unreadable, error " + DecimalText(error) + u")";
}

}  // namespace

std::uint32_t RunProcess(const System& sys, const std::u16string& commandLine) {
  const std::u16string program = commandLine.substr(0, commandLine.find(u' '));
  const std::u16string application = LocateProgram(sys, program);
  if (application.empty()) {
    sys.log.Line({"run: ", MaskSecrets(commandLine, QuoteReading::kInstaller)});
    sys.log.Line({"run: ", Quoted(program), " is in neither the system nor the Windows directory"});
    return kErrorFileNotFound;
  }
  return RunProgram(sys, application, commandLine);
}

std::uint32_t RunProgram(const System& sys, const std::u16string& application,
                         const std::u16string& commandLine) {
  sys.log.Line({"run: ", MaskSecrets(commandLine, QuoteReading::kInstaller)});
  sys.log.Line({"run: program ", application, ", current directory ", CurrentDirectory(sys)});
  const std::uint32_t started = sys.log.ElapsedMs();

  // CreateProcessW may write into the command line; it gets a private copy.
  std::vector<char16_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(u'\0');

  ProcessHandles handles;
  const SysResult<bool> start =
      sys.processes.StartProcess(application.c_str(), buffer.data(), kCreateNoWindow, &handles);
  if (!start.value) {
    sys.log.Line({"run: could not start, error ", DecimalText(start.error)});
    return start.error;
  }
  // Declared thread first, so the process handle is closed first.
  Scoped thread(sys.platform, handles.thread);
  Scoped process(sys.platform, handles.process);

  // A wait or a read that fails tells nothing of how the child ended: its error is the result,
  // never a success.
  std::uint32_t exitCode = 0;
  if (sys.processes.WaitForObject(process.get(), kInfinite) == kWaitFailed ||
      !sys.processes.ReadExitCode(process.get(), &exitCode)) {
    const std::uint32_t error = sys.platform.LastError();
    sys.log.Line({"run: its end cannot be read, error ", DecimalText(error)});
    return error != 0 ? error : kErrorGenFailure;
  }
  sys.log.Line({"run: exit code ", DecimalText(exitCode), " after ",
                DecimalText(sys.log.ElapsedMs() - started), " ms"});
  return exitCode;
}
