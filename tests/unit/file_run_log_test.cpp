#include "log/file_run_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/core_install_stages.h"
#include "fakes/fake_log_files.h"
#include "fakes/fake_system.h"
#include "fakes/scripted_install_stages.h"
#include "log/log_lines.h"
#include "setup/setup_driver.h"
#include "version.h"

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
const std::u16string kLogName = u"C:\\Temp\\zirelpluginsetup_20260304_050607_4242.log";
constexpr char kDroppedText[] =
    "the log reached its limit of 1 MiB; the rest of the run is not recorded";

// The lines of a log file without their line ends; false when the file does not start with the
// byte-order mark or a line does not end with CR LF.
bool SplitLog(const std::string& file, std::vector<std::string>* lines) {
  if (file.compare(0, 3, kBom) != 0) return false;
  std::size_t at = 3;
  while (at < file.size()) {
    const std::size_t end = file.find("\r\n", at);
    if (end == std::string::npos) return false;
    lines->push_back(file.substr(at, end - at));
    at = end + 2;
  }
  return true;
}

// The lines of a log file without the elapsed milliseconds in front.
std::vector<std::string> LogTexts(const std::string& file) {
  std::vector<std::string> lines;
  EXPECT_TRUE(SplitLog(file, &lines));
  for (std::string& line : lines) {
    line.erase(0, line.find_first_not_of(' '));
    line.erase(0, line.find(' ') + 1);
  }
  return lines;
}

// The name carries the local time and the process id; a taken name gets the next free suffix.
TEST(FileRunLog, TakenNamesGetTheNextFreeSuffixAndAreNeverOpened) {
  FakeSystem fake;
  FakeLogFiles files(fake.kernel);
  const std::u16string second = u"C:\\Temp\\zirelpluginsetup_20260304_050607_4242_2.log";
  files.taken = {kLogName, u"C:\\Temp\\zirelpluginsetup_20260304_050607_4242_1.log"};
  {
    FileRunLog log(files);
    ASSERT_TRUE(log.Open());
    EXPECT_EQ(second, log.path());
  }
  files.processId = 4294967295u;
  {
    FileRunLog log(files);
    ASSERT_TRUE(log.Open());
    EXPECT_EQ(u"C:\\Temp\\zirelpluginsetup_20260304_050607_4294967295.log", log.path());
  }
  EXPECT_EQ(2u, files.files.size());
  std::vector<std::string> lines;
  ASSERT_TRUE(SplitLog(files.files[second], &lines));
  ASSERT_EQ(1u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].find("zirelpluginsetup " ZIREL_VERSION_TEXT));
  EXPECT_EQ(std::vector<std::string>{}, fake.kernel.Unbalanced());
}

TEST(FileRunLog, RefusedCreationIsNotRetriedUnderOtherNames) {
  FakeSystem fake;
  FakeLogFiles files(fake.kernel);
  files.createError = 5;  // ERROR_ACCESS_DENIED
  FileRunLog log(files);
  EXPECT_FALSE(log.Open());
  log.Line({"dropped"});
  log.AppendAscii("dropped");
  EXPECT_EQ(1, files.creations);
  EXPECT_TRUE(files.files.empty());
}

// Lines of Cyrillic text (two bytes each in UTF-8) until far past the limit: the file stays
// within it, ends with the one line saying the rest was dropped, and holds only whole lines.
TEST(FileRunLog, StopsAtOneMebibyteWithOneLineSayingSo) {
  FakeSystem fake;
  FakeLogFiles files(fake.kernel);
  FileRunLog log(files);
  ASSERT_TRUE(log.Open());
  const std::u16string text(500, u'Ж');
  for (int i = 0; i < 1500; ++i) log.Line({"line ", text});
  log.AppendAscii("after the limit");

  const std::string& file = files.files[kLogName];
  EXPECT_LE(file.size(), kRunLogLimit);
  // No earlier than the last line that fits beside the room kept for the end (the closing
  // lines', the dropped line's): less than one more line of 1,014 bytes is left out.
  EXPECT_GT(file.size(), kRunLogLimit - kRunLogClosingRoom - 1100);
  std::vector<std::string> lines;
  ASSERT_TRUE(SplitLog(file, &lines));
  const std::string whole = "line " + Utf8(text);
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    ASSERT_EQ(whole, lines[i].substr(lines[i].size() - whole.size())) << "line " << i;
  }
  EXPECT_EQ(kDroppedText, LogTexts(file).back());
  EXPECT_EQ(std::string::npos, file.find("after the limit"));
}

// A log filled past its limit before the run, by lines so short that no more room is left than
// is kept for the end: of the run's own lines only those that close it follow the line saying
// the rest was dropped, all of them when the driver writes the most (Windows not ready three
// times, then refusing a locked computer; the exit code), and the exit code is the last line.
// An internal failure's last words come last the same way.
TEST(FileRunLog, ClosingLinesStillComeLastAfterTheLimit) {
  const std::u16string text(500, u'Ж');
  FakeSystem fake;
  FakeLogFiles files(fake.kernel);
  {
    FileRunLog log(files);
    ASSERT_TRUE(log.Open());
    for (std::size_t i = 0; i < kRunLogLimit / 10; ++i) log.Line({"x"});
    fake.ui.canSee = false;
    fake.platform.restartAnswers = {21, 21, 21, 1271};
    const System sys{fake.installer, fake.files, fake.processes, fake.certs,
                     fake.platform,  fake.ui,    fake.resources, log};
    SetupState state;
    ScriptedInstallStages stages(fake.kernel, state);
    stages.pluginResult = 3010;
    EXPECT_EQ(7u, LogExitCode(log, RunSetup(sys, stages, state,
                                            ReadCommandLine(fake.platform, u"-silent"))));
  }
  const std::string& file = files.files[kLogName];
  EXPECT_LE(file.size(), kRunLogLimit);
  std::vector<std::string> lines = LogTexts(file);
  const std::string notReady = "restart: InitiateSystemShutdownExW answered 0, error 21";
  const std::vector<std::string> closing{
      kDroppedText,
      "restart: needed, started without asking",
      notReady,
      notReady,
      notReady,
      "restart: InitiateSystemShutdownExW answered 0, error 1271",
      "restart: the computer is locked, and Windows XP and 2003 restart a locked computer only "
      "by closing applications by force",
      "restart: Windows refused the request",
      "exit code 7"};
  ASSERT_GE(lines.size(), closing.size());
  EXPECT_EQ(closing, std::vector<std::string>(lines.end() - closing.size(), lines.end()));

  FakeLogFiles failing(fake.kernel);
  {
    FileRunLog log(failing);
    ASSERT_TRUE(log.Open());
    for (int i = 0; i < 1500; ++i) log.Line({"line ", text});
    log.AppendAscii("COM: dropped");
    log.Line({"run: exit code 0 after 5 ms"});
    log.AppendAscii("internal failure: exit code 1359", LineKind::kClosing);
  }
  lines = LogTexts(failing.files[kLogName]);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ((std::vector<std::string>{kDroppedText, "internal failure: exit code 1359"}),
            std::vector<std::string>(lines.end() - 2, lines.end()));
}

// A log that cannot be created, or whose writes fail, changes nothing in the run: the same
// system calls, boxes and exit code as a run with a log that works.
class UnusableLogTest : public ::testing::TestWithParam<bool> {};

struct RunResult {
  std::uint32_t exitCode = 0;
  std::vector<std::string> events;
};

RunResult RunWithBothProviders(FakeSystem& fake, RunLog& log) {
  fake.files.AddFile(u"C:\\dist\\csp\\csp-x64-kc1-rus.msi");
  fake.files.AddFile(u"C:\\dist\\ucsp\\ucsp-x64-rus.msi");
  fake.files.AddFile(u"C:\\dist\\plugin\\zirelcom-x64.msi");
  fake.files.AddFile(u"C:\\dist\\root.cer");
  fake.certs.files[u"C:\\dist\\root.cer"] = {"root-a", "root-b"};
  fake.platform.wow64 = true;
  fake.processes.exitCodes[u"msiexec /qn /i \"C:\\dist\\csp"] = 1603;
  const System sys{fake.installer, fake.files, fake.processes, fake.certs,
                   fake.platform,  fake.ui,    fake.resources, log};
  SetupState state;
  CoreInstallStages stages(sys, state);
  RunResult run;
  run.exitCode = RunSetup(sys, stages, state, ReadCommandLine(fake.platform, u"-csp -ucsp"));
  run.events = fake.kernel.log;
  run.events.insert(run.events.end(), fake.certs.events.begin(), fake.certs.events.end());
  return run;
}

TEST_P(UnusableLogTest, RunIsUnchanged) {
  FakeSystem working;
  const RunResult expected = RunWithBothProviders(working, working.log);
  ASSERT_EQ(1603u, expected.exitCode);
  ASSERT_FALSE(working.log.lines.empty());

  FakeSystem fake;
  FakeLogFiles files(fake.kernel);
  const bool createFails = GetParam();
  if (createFails) {
    files.createError = 3;  // ERROR_PATH_NOT_FOUND
  } else {
    files.writesLeft = 1;  // the byte-order mark, then every write fails
  }
  {
    FileRunLog log(files);
    EXPECT_EQ(!createFails, log.Open());
    const RunResult run = RunWithBothProviders(fake, log);
    EXPECT_EQ(expected.exitCode, run.exitCode);
    EXPECT_EQ(expected.events, run.events);
  }
  EXPECT_EQ(1, files.creations);
  EXPECT_EQ(std::vector<std::string>{}, fake.kernel.Unbalanced());
}

INSTANTIATE_TEST_SUITE_P(CreationOrWrites, UnusableLogTest, ::testing::Bool());

}  // namespace
