#include "setup/setup_driver.h"

#include <gtest/gtest.h>

#include "actions/core_install_stages.h"
#include "expected_strings.h"
#include "fakes/fake_system.h"
#include "fakes/scripted_install_stages.h"

namespace {

// A box as "text [style]", for comparing sequences of boxes in one assertion.
std::string Box(std::uint16_t id, std::uint32_t style) {
  return Utf8(ExpectedText(id)) + " [" + std::to_string(style) + "]";
}
std::string FailureBox(std::uint16_t id, std::uint32_t code) {
  return Utf8(ExpectedText(id)) + ": " + std::to_string(code) + ". [16]";
}
// The kernel-log line of a box showing string `id`.
std::string Logged(std::uint16_t id) {
  return "MessageBox " + Utf8(ExpectedText(id));
}

// One run of the driver against the fake system and scripted stages.
struct Scenario {
  std::uint32_t RunDriver(const std::u16string& commandLine) {
    return RunSetup(fake.sys, stages, state, ReadCommandLine(fake.platform, commandLine));
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> shown;
    for (const auto& box : fake.ui.boxes) {
      shown.push_back(Utf8(box.text) + " [" + std::to_string(box.style) + "]");
    }
    return shown;
  }
  void ExpectCaptionOnEveryBox() const {
    for (const auto& box : fake.ui.boxes) EXPECT_EQ(u"Vestacor Signavel", box.caption);
  }

  FakeSystem fake;
  SetupState state;
  ScriptedInstallStages stages{fake.kernel, state};
};

class DriverTest : public ::testing::Test, protected Scenario {};

TEST_F(DriverTest, TypicalRunWithoutOptions) {
  EXPECT_EQ(0u, RunDriver(u""));
  EXPECT_TRUE(fake.platform.splitTexts.empty());
  const std::vector<std::string> expected{"MsiSetInternalUI 2", "Progress create", Logged(103),
                                          "Progress resume",    "InstallPlugin",   "Progress end",
                                          Logged(110)};
  EXPECT_EQ(expected, fake.kernel.log);
  EXPECT_EQ((std::vector<std::string>{Box(103, 4), Box(110, 0)}), Boxes());
  ExpectCaptionOnEveryBox();
  EXPECT_TRUE(stages.providerCalls.empty());
  ASSERT_EQ(1u, stages.pluginCalls.size());
  EXPECT_EQ(u"", stages.pluginCalls[0].pluginArgs);
  EXPECT_FALSE(stages.pluginCalls[0].silent);
}

TEST_F(DriverTest, ProviderRunResumesOnceAndEndsBeforeTheOutcome) {
  EXPECT_EQ(0u, RunDriver(u"-csp -selectDlg"));
  const std::vector<std::string> expected{
      "MsiSetInternalUI 2", "Progress create", Logged(102),    "Dialog 141", "Progress resume",
      "InstallProviders",   "InstallPlugin",   "Progress end", Logged(109)};
  EXPECT_EQ(expected, fake.kernel.log);
  EXPECT_EQ(1, fake.ui.progressResumed);
  EXPECT_EQ(1, fake.ui.progressEnded);
}

TEST_F(DriverTest, OptionsReachTheStages) {
  EXPECT_EQ(0u, RunDriver(u"-silent -csp -ucsp -CSPArgs A=1 -UCSPArgs \"U=1 V=2\" -ZirelArgs P=1 "
                          u"-KC kc2 -Lang eng"));
  ASSERT_EQ(1u, stages.providerCalls.size());
  EXPECT_TRUE(stages.providerCalls[0].silent);
  EXPECT_EQ(u"A=1 ", stages.providerCalls[0].cspArgs);
  EXPECT_EQ(u"U=1 V=2 ", stages.providerCalls[0].ucspArgs);
  ASSERT_EQ(1u, stages.pluginCalls.size());
  EXPECT_EQ(u"P=1 ", stages.pluginCalls[0].pluginArgs);
  EXPECT_TRUE(stages.pluginCalls[0].silent);
  EXPECT_EQ(u"*kc2*", state.options.kcPattern);
  EXPECT_EQ(u"*eng*", state.options.langPattern);
  EXPECT_TRUE(fake.ui.boxes.empty());
}

// The log lines that start with `prefix`, in UTF-8.
std::vector<std::string> LogLines(const FakeRunLog& log, const std::string& prefix) {
  std::vector<std::string> found;
  for (const auto& line : log.lines) {
    if (Utf8(line).rfind(prefix, 0) == 0) found.push_back(Utf8(line));
  }
  return found;
}

// Licence keys, serials and passwords given to msiexec stand in no log line, neither in the
// command line as received nor in the options; the installation steps get them unchanged.
TEST_F(DriverTest, PropertyValuesOfTheArgumentsAreMaskedInTheLog) {
  EXPECT_EQ(0u, RunDriver(u"-silent -csp -ucsp -CSPArgs \"PIDKEY=\\\"k1 k1\\\" ALLUSERS=1\" "
                          u"-UCSPArgs SERIAL=s2 -ZirelArgs \"/l*v C:\\Logs\\p.log PASSWORD=p3\" "
                          u"-maxdefer 0"));
  ASSERT_EQ(1u, stages.providerCalls.size());
  EXPECT_EQ(u"PIDKEY=\"k1 k1\" ALLUSERS=1 ", stages.providerCalls[0].cspArgs);
  EXPECT_EQ(u"SERIAL=s2 ", stages.providerCalls[0].ucspArgs);
  ASSERT_EQ(1u, stages.pluginCalls.size());
  EXPECT_EQ(u"/l*v C:\\Logs\\p.log PASSWORD=p3 ", stages.pluginCalls[0].pluginArgs);
  EXPECT_EQ(std::vector<std::string>{"command line: \"-silent -csp -ucsp -CSPArgs \"PIDKEY=*** "
                                     "ALLUSERS=1\" -UCSPArgs SERIAL=*** -ZirelArgs \"/l*v "
                                     "C:\\Logs\\p.log PASSWORD=***\" -maxdefer 0\""},
            LogLines(fake.log, "command line: "));
  EXPECT_EQ(
      std::vector<std::string>{
          "options: -csp yes, -ucsp yes, -selectDlg no, -silent yes, -norestart no, "
          "CSP arguments \"PIDKEY=*** ALLUSERS=1 \", level \"\", "
          "language \"\", ZAZ CSP arguments \"SERIAL=*** \", plug-in "
          "arguments \"/l*v C:\\Logs\\p.log PASSWORD=*** \", -askclose no, -maxdefer 0"},
      LogLines(fake.log, "options: "));
}

// A whole run with the real installation steps: every msiexec line of the log masks the
// values too, and shows the public properties the launcher adds; each child gets its command
// line unchanged. No line holds any part of a secret.
TEST(Driver, PropertyValuesNeverReachTheLogOfAWholeRun) {
  FakeSystem fake;
  fake.files.AddFile(u"C:\\dist\\csp\\csp-x64-kc1-rus.msi");
  fake.files.AddFile(u"C:\\dist\\ucsp\\ucsp-x64-rus.msi");
  fake.files.AddFile(u"C:\\dist\\plugin\\zirelcom-x64.msi");
  fake.platform.wow64 = true;
  SetupState state;
  CoreInstallStages stages(fake.sys, state);
  EXPECT_EQ(
      0u,
      RunSetup(fake.sys, stages, state,
               ReadCommandLine(
                   fake.platform,
                   u"-csp -ucsp -silent -CSPArgs \"PIDKEY=\\\"k1 k1\\\" ALLUSERS=1\" "
                   u"-UCSPArgs SERIAL=s2 -ZirelArgs \"PASSWORD=\\\"p3 \\\"\\\"p3\\\"\\\"\\\"\"")));
  EXPECT_EQ(
      (std::vector<std::u16string>{
          u"msiexec /qn /i \"C:\\dist\\csp\\csp-x64-kc1-rus.msi\" PIDKEY=\"k1 k1\" "
          u"ALLUSERS=1  REBOOT=R",
          u"msiexec /qn /i \"C:\\dist\\ucsp\\ucsp-x64-rus.msi\" SERIAL=s2  REBOOT=R",
          u"regedit /s ZAZ_x64_2.reg", u"regini ZAZ_acl_x64.acl",
          u"msiexec /qn /i \"C:\\dist\\plugin\\zirelcom-x64.msi\" PASSWORD=\"p3 \"\"p3\"\"\"  "
          u"REBOOT=R"}),
      fake.processes.CommandLines());
  EXPECT_EQ((std::vector<std::string>{
                "run: msiexec /qn /i \"C:\\dist\\csp\\csp-x64-kc1-rus.msi\" PIDKEY=*** "
                "ALLUSERS=1  REBOOT=R",
                "run: msiexec /qn /i \"C:\\dist\\ucsp\\ucsp-x64-rus.msi\" SERIAL=***  REBOOT=R",
                "run: msiexec /qn /i \"C:\\dist\\plugin\\zirelcom-x64.msi\" PASSWORD=***  "
                "REBOOT=R"}),
            LogLines(fake.log, "run: msiexec "));
  EXPECT_EQ(1u, LogLines(fake.log, "command line: ").size());
  EXPECT_EQ(1u, LogLines(fake.log, "options: ").size());
  for (const auto& line : fake.log.lines) {
    for (const char* secret : {"k1", "s2", "p3"}) {
      EXPECT_EQ(std::string::npos, Utf8(line).find(secret)) << Utf8(line);
    }
  }
}

TEST_F(DriverTest, DialogChoiceIsKeptInTheOptions) {
  fake.ui.dialogChecked = {kCtlKc3, kCtlEnglish};
  EXPECT_EQ(0u, RunDriver(u"-csp -selectDlg -KC kc1"));
  EXPECT_EQ(u"*kc1*kc3*", state.options.kcPattern);
  EXPECT_EQ(u"eng*", state.options.langPattern);
}

// Exits before anything is installed.

TEST_F(DriverTest, HelpEndsTheRunWithZeroBeforeAnyCheck) {
  fake.platform.admin = false;
  EXPECT_EQ(0u, RunDriver(u"-csp -help"));
  ASSERT_EQ(1u, fake.ui.boxes.size());
  EXPECT_EQ(u"Справка", fake.ui.boxes[0].caption);
  EXPECT_TRUE(fake.platform.versionRecordSizes.empty());
  EXPECT_TRUE(fake.installer.internalUiLevels.empty());
  EXPECT_EQ(0, fake.ui.progressCreated);
  EXPECT_TRUE(stages.providerCalls.empty());
  EXPECT_TRUE(stages.pluginCalls.empty());
}

// A bad number ends the run with 1639 before any check; the help only where -silent is not
// given.
TEST(Driver, BadNumberEndsTheRunWith1639BeforeAnyCheck) {
  for (const bool silent : {false, true}) {
    Scenario local;
    local.fake.platform.admin = false;
    EXPECT_EQ(1639u, local.RunDriver(silent ? u"-askclose 31 -csp -silent" : u"-askclose 31 -csp"));
    EXPECT_EQ(silent ? 0u : 1u, local.fake.ui.boxes.size());
    EXPECT_EQ(std::vector<std::string>{"command line: -askclose needs a whole number from 1 to 30"},
              LogLines(local.fake.log, "command line: -"));
    EXPECT_TRUE(local.fake.platform.versionRecordSizes.empty());
    EXPECT_EQ(0, local.fake.ui.progressCreated);
    EXPECT_TRUE(local.stages.pluginCalls.empty());
  }
}

TEST(Driver, NotAnAdministrator) {
  for (bool silent : {false, true}) {
    Scenario local;
    local.fake.platform.admin = false;
    EXPECT_EQ(1u, local.RunDriver(silent ? u"-silent" : u""));
    EXPECT_EQ(silent ? std::vector<std::string>{} : std::vector<std::string>{Box(101, 0x10)},
              local.Boxes());
    local.ExpectCaptionOnEveryBox();
    EXPECT_TRUE(local.fake.platform.versionRecordSizes.empty());
    EXPECT_TRUE(local.fake.installer.internalUiLevels.empty());
    EXPECT_EQ(0, local.fake.ui.progressCreated);
    EXPECT_TRUE(local.stages.pluginCalls.empty());
  }
}

struct PlatformRow {
  const char* name;
  std::uint32_t major;
  std::uint32_t minor;
  std::uint16_t servicePack;
  bool versionFails;
  std::uint32_t exitCode;
  std::uint16_t message;
  bool shownWhenSilent;
};

void PrintTo(const PlatformRow& row, std::ostream* os) {
  *os << row.name;
}

class DriverPlatformTest : public DriverTest,
                           public ::testing::WithParamInterface<std::tuple<PlatformRow, bool>> {};

TEST_P(DriverPlatformTest, RefusalIsTheExitCodeAndNothingElseHappens) {
  const auto& [row, silent] = GetParam();
  fake.platform.version = OsVersion{284, row.major, row.minor, row.servicePack};
  fake.platform.versionFails = row.versionFails;
  EXPECT_EQ(row.exitCode, RunDriver(silent ? u"-silent -csp" : u"-csp"));
  if (!silent || row.shownWhenSilent) {
    EXPECT_EQ(std::vector<std::string>{Box(row.message, 0x10)}, Boxes());
  } else {
    EXPECT_TRUE(fake.ui.boxes.empty());
  }
  ExpectCaptionOnEveryBox();
  EXPECT_TRUE(fake.installer.internalUiLevels.empty());
  EXPECT_EQ(0, fake.ui.progressCreated);
  EXPECT_TRUE(stages.providerCalls.empty());
  EXPECT_TRUE(stages.pluginCalls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DriverPlatformTest,
    ::testing::Combine(::testing::Values(PlatformRow{"VersionUnreadable", 6, 1, 0, true, 2, 121,
                                                     false},
                                         PlatformRow{"Nt4", 4, 0, 6, false, 8, 116, true},
                                         PlatformRow{"Win2000Sp3", 5, 0, 3, false, 3, 117, false},
                                         PlatformRow{"WinXpSp1", 5, 1, 1, false, 4, 118, false},
                                         PlatformRow{"Win2003NoSp", 5, 2, 0, false, 5, 119, false}),
                       ::testing::Bool()),
    [](const auto& p) {
      return std::string(std::get<0>(p.param).name) +
             (std::get<1>(p.param) ? "Silent" : "Interactive");
    });

TEST(Driver, AcceptedPlatformsGoOn) {
  for (const OsVersion& version : {OsVersion{284, 5, 0, 4}, OsVersion{284, 5, 1, 2},
                                   OsVersion{284, 5, 2, 2}, OsVersion{284, 6, 0, 0}}) {
    Scenario local;
    local.fake.platform.version = version;
    EXPECT_EQ(0u, local.RunDriver(u"-silent"));
    EXPECT_EQ(1u, local.stages.pluginCalls.size());
  }
}

// The confirmation question and the progress window's title.

struct QuestionRow {
  const char16_t* commandLine;
  std::uint16_t question;
  std::uint16_t progressTitle;
};

TEST(Driver, QuestionAndProgressTitleFollowTheProviderFlags) {
  for (const QuestionRow& row :
       {QuestionRow{u"-csp -ucsp", 125, 113}, QuestionRow{u"-ucsp -csp", 125, 113},
        QuestionRow{u"-csp", 102, 113}, QuestionRow{u"-ucsp", 122, 114},
        QuestionRow{u"-selectDlg", 103, 114}, QuestionRow{u"", 103, 114}}) {
    Scenario local;
    local.fake.ui.answers = {kIdNo};
    EXPECT_EQ(0u, local.RunDriver(row.commandLine));
    EXPECT_EQ(row.progressTitle, local.fake.ui.progressTitle) << Utf8(row.commandLine);
    ASSERT_EQ(1u, local.fake.ui.boxes.size()) << Utf8(row.commandLine);
    EXPECT_EQ(ExpectedText(row.question), local.fake.ui.boxes[0].text) << Utf8(row.commandLine);
    EXPECT_EQ(u"Vestacor Signavel", local.fake.ui.boxes[0].caption);
    EXPECT_EQ(kMbYesNo, local.fake.ui.boxes[0].style);
  }
}

TEST_F(DriverTest, NoEndsTheRunWithoutResumingOrInstalling) {
  fake.ui.answers = {kIdNo};
  EXPECT_EQ(0u, RunDriver(u"-csp -selectDlg"));
  const std::vector<std::string> expected{"MsiSetInternalUI 2", "Progress create", Logged(102)};
  EXPECT_EQ(expected, fake.kernel.log);
  EXPECT_EQ(0, fake.ui.progressResumed);
  EXPECT_EQ(0, fake.ui.dialogShown);
  EXPECT_TRUE(stages.providerCalls.empty());
  EXPECT_TRUE(stages.pluginCalls.empty());
}

TEST_F(DriverTest, AnyAnswerButNoGoesOn) {
  fake.ui.answers = {0};  // the box could not be shown
  EXPECT_EQ(0u, RunDriver(u""));
  EXPECT_EQ(1u, stages.pluginCalls.size());
  EXPECT_EQ((std::vector<std::string>{Box(103, 4), Box(110, 0)}), Boxes());
}

TEST_F(DriverTest, SilentAsksNothingButStillShowsProgress) {
  EXPECT_EQ(0u, RunDriver(u"-silent -ucsp"));
  EXPECT_TRUE(fake.ui.boxes.empty());
  const std::vector<std::string> expected{"MsiSetInternalUI 2", "Progress create",
                                          "Progress resume",    "InstallProviders",
                                          "InstallPlugin",      "Progress end"};
  EXPECT_EQ(expected, fake.kernel.log);
}

// Dialog 141.

struct DialogRow {
  const char16_t* commandLine;
  bool shown;
};

TEST(Driver, DialogOnlyWithSelectAndCspAndNotSilent) {
  for (const DialogRow& row :
       {DialogRow{u"-csp -selectDlg", true}, DialogRow{u"-selectDlg -csp -ucsp", true},
        DialogRow{u"-selectDlg -ucsp", false}, DialogRow{u"-selectDlg", false},
        DialogRow{u"-csp", false}, DialogRow{u"-csp -selectDlg -silent", false},
        DialogRow{u"-csp -ucsp", false}}) {
    Scenario local;
    EXPECT_EQ(0u, local.RunDriver(row.commandLine));
    EXPECT_EQ(row.shown ? 1 : 0, local.fake.ui.dialogShown) << Utf8(row.commandLine);
    EXPECT_EQ(1u, local.stages.pluginCalls.size()) << Utf8(row.commandLine);
  }
}

TEST_F(DriverTest, DialogCancelEndsWithZeroWithoutInstalling) {
  fake.ui.dialogProceeds = false;
  EXPECT_EQ(0u, RunDriver(u"-csp -selectDlg"));
  EXPECT_EQ(1, fake.ui.dialogShown);
  EXPECT_EQ(0, fake.ui.progressResumed);
  EXPECT_TRUE(stages.providerCalls.empty());
  EXPECT_TRUE(stages.pluginCalls.empty());
  EXPECT_EQ(std::vector<std::string>{Box(102, 4)}, Boxes());
  EXPECT_EQ(u"", state.options.kcPattern);
}

// Failures of the stages.

TEST_F(DriverTest, ProviderFailureSkipsThePlugin) {
  stages.providerResult = 1603;
  EXPECT_EQ(1603u, RunDriver(u"-csp"));
  EXPECT_TRUE(stages.pluginCalls.empty());
  const std::vector<std::string> expected{"MsiSetInternalUI 2",
                                          "Progress create",
                                          Logged(102),
                                          "Progress resume",
                                          "InstallProviders",
                                          "Progress end",
                                          "MessageBox " + Utf8(ExpectedText(105)) + ": 1603."};
  EXPECT_EQ(expected, fake.kernel.log);
  EXPECT_EQ((std::vector<std::string>{Box(102, 4), FailureBox(105, 1603)}), Boxes());
  ExpectCaptionOnEveryBox();
}

TEST_F(DriverTest, ProviderFailureSilent) {
  stages.providerResult = 4294967295u;
  EXPECT_EQ(4294967295u, RunDriver(u"-ucsp -silent"));
  EXPECT_TRUE(stages.pluginCalls.empty());
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_EQ(1, fake.ui.progressEnded);
  EXPECT_TRUE(fake.platform.exitWindowsCalls.empty());
}

TEST(Driver, PluginFailure) {
  for (bool silent : {false, true}) {
    Scenario local;
    local.stages.pluginResult = 3;
    EXPECT_EQ(3u, local.RunDriver(silent ? u"-silent" : u""));
    std::vector<std::string> expected{"MsiSetInternalUI 2", "Progress create"};
    if (!silent) expected.push_back(Logged(103));
    expected.insert(expected.end(), {"Progress resume", "InstallPlugin", "Progress end"});
    if (!silent) expected.push_back("MessageBox " + Utf8(ExpectedText(106)) + ": 3.");
    EXPECT_EQ(expected, local.fake.kernel.log);
    if (!silent) {
      EXPECT_EQ(0x10u, local.fake.ui.boxes.back().style);
    }
  }
}

TEST_F(DriverTest, ProviderRestartThenPluginFailureEndsWithThePluginCode) {
  stages.providerResult = 3010;
  stages.pluginResult = 1605;
  EXPECT_EQ(1605u, RunDriver(u"-csp"));
  EXPECT_EQ((std::vector<std::string>{Box(102, 4), FailureBox(106, 1605)}), Boxes());
  EXPECT_TRUE(fake.platform.exitWindowsCalls.empty());
  EXPECT_TRUE(fake.platform.tokenAccess.empty());
}

TEST_F(DriverTest, RestartRequiredIsNeverTheExitCode) {
  stages.providerResult = 3010;
  stages.pluginResult = 3010;
  fake.ui.answers = {kIdYes, kIdNo};
  EXPECT_EQ(0u, RunDriver(u"-csp -ucsp"));
  EXPECT_EQ((std::vector<std::string>{Box(125, 4), Box(126, 0x34)}), Boxes());
}

// The outcome, every row, interactive and silent.

struct OutcomeRow {
  const char* name;
  const char16_t* flags;
  std::uint32_t providerResult;
  std::uint32_t pluginResult;
  bool restartPending;
  std::uint16_t message;
  bool restartOffer;
};

void PrintTo(const OutcomeRow& row, std::ostream* os) {
  *os << row.name;
}

class OutcomeTest : public DriverTest,
                    public ::testing::WithParamInterface<std::tuple<OutcomeRow, bool>> {};

TEST_P(OutcomeTest, MessageAndRestart) {
  const auto& [row, silent] = GetParam();
  stages.providerResult = row.providerResult;
  stages.pluginResult = row.pluginResult;
  stages.pluginSetsRestartPending = row.restartPending;
  const std::u16string commandLine = std::u16string(row.flags) + (silent ? u" -silent" : u"");
  EXPECT_EQ(0u, RunDriver(commandLine));
  if (silent) {
    EXPECT_TRUE(fake.ui.boxes.empty());
  } else {
    ASSERT_EQ(2u, fake.ui.boxes.size());
    EXPECT_EQ(Box(row.message, row.restartOffer ? 0x34 : 0), Boxes()[1]);
    ExpectCaptionOnEveryBox();
  }
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> restart{
      {6u, kShutdownReasonPlannedInstallation}};
  EXPECT_EQ(row.restartOffer ? restart : decltype(restart){}, fake.platform.exitWindowsCalls);
  // The progress window is gone before the outcome box and before the restart.
  const auto& log = fake.kernel.log;
  const auto end = std::find(log.begin(), log.end(), "Progress end");
  ASSERT_NE(log.end(), end);
  EXPECT_EQ(log.end(), std::find(end, log.end(), "InstallPlugin"));
  if (row.restartOffer) {
    EXPECT_NE(log.end(), std::find(end, log.end(), "ExitWindowsEx"));
  }
  EXPECT_EQ(1, fake.ui.progressEnded);
  EXPECT_TRUE(fake.kernel.Unbalanced().empty());
}

const OutcomeRow kOutcomeRows[] = {
    OutcomeRow{"PluginRestart", u"", 0, 3010, false, 108, true},
    OutcomeRow{"PluginRestartWithPending", u"", 0, 3010, true, 108, true},
    OutcomeRow{"PluginPending", u"", 0, 0, true, 115, true},
    OutcomeRow{"PluginDone", u"", 0, 0, false, 110, false},
    OutcomeRow{"CspProviderRestart", u"-csp", 3010, 0, false, 107, true},
    OutcomeRow{"CspPluginRestart", u"-csp", 0, 3010, false, 107, true},
    OutcomeRow{"UcspProviderRestart", u"-ucsp", 3010, 0, false, 123, true},
    OutcomeRow{"UcspBothRestart", u"-ucsp", 3010, 3010, false, 123, true},
    OutcomeRow{"BothProviderRestart", u"-csp -ucsp", 3010, 0, false, 126, true},
    OutcomeRow{"BothPluginRestart", u"-ucsp -csp", 0, 3010, false, 126, true},
    OutcomeRow{"CspDone", u"-csp", 0, 0, false, 109, false},
    OutcomeRow{"UcspDone", u"-ucsp", 0, 0, false, 124, false},
    OutcomeRow{"BothDone", u"-csp -ucsp", 0, 0, false, 127, false},
    // The plug-in waits for a restart in a provider run: the restart and second run
    // are asked for whatever the provider result.
    OutcomeRow{"CspPending", u"-csp", 0, 0, true, 115, true},
    OutcomeRow{"UcspPending", u"-ucsp", 0, 0, true, 115, true},
    OutcomeRow{"BothPending", u"-csp -ucsp", 0, 0, true, 115, true},
    OutcomeRow{"CspPendingProviderRestart", u"-csp", 3010, 0, true, 115, true},
    OutcomeRow{"BothPendingPluginRestart", u"-csp -ucsp", 0, 3010, true, 126, true}};

INSTANTIATE_TEST_SUITE_P(Rows, OutcomeTest,
                         ::testing::Combine(::testing::ValuesIn(kOutcomeRows), ::testing::Bool()),
                         [](const auto& p) {
                           return std::string(std::get<0>(p.param).name) +
                                  (std::get<1>(p.param) ? "Silent" : "Interactive");
                         });

// A silent run told -norestart leaves every restart it would start without asking to its
// caller, with exit code 3010; it asks for no restart itself. One row for each way a restart
// comes to be needed (an installation's 3010, the removal that waits for it) and one without:
// which rows need one is OutcomeTest's to show.
class NoRestartTest : public DriverTest, public ::testing::WithParamInterface<OutcomeRow> {};

TEST_P(NoRestartTest, SilentRunLeavesTheRestartToTheCaller) {
  const OutcomeRow& row = GetParam();
  stages.providerResult = row.providerResult;
  stages.pluginResult = row.pluginResult;
  stages.pluginSetsRestartPending = row.restartPending;
  EXPECT_EQ(row.restartOffer ? 3010u : 0u,
            RunDriver(std::u16string(row.flags) + u" -silent -norestart"));
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_TRUE(fake.platform.tokenAccess.empty());
  EXPECT_TRUE(fake.platform.exitWindowsCalls.empty());
  EXPECT_TRUE(fake.platform.shutdownReasons.empty());
  EXPECT_EQ(std::vector<std::u16string>{row.restartOffer
                                            ? u"restart: needed, left to the caller (-norestart)"
                                            : u"restart: not needed"},
            fake.log.closing);
}

INSTANTIATE_TEST_SUITE_P(Rows, NoRestartTest,
                         // PluginPending, CspProviderRestart, BothDone
                         ::testing::Values(kOutcomeRows[2], kOutcomeRows[4], kOutcomeRows[12]),
                         [](const auto& p) { return std::string(p.param.name); });

// A postponed upgrade ends with 1618 and, for somebody at the screen, the message that it
// was postponed instead of a failure; a provider's restart is known to the plug-in stage.
TEST(Driver, PostponedUpgradeEndsWith1618) {
  for (const bool silent : {false, true}) {
    Scenario local;
    local.stages.providerResult = 3010;
    local.stages.pluginResult = 1618;
    local.stages.pluginPostpones = true;
    EXPECT_EQ(1618u, local.RunDriver(silent ? u"-csp -silent" : u"-csp"));
    EXPECT_FALSE(local.stages.pluginNeedsNoRestartSeen);
    const std::vector<std::string> boxes{Box(102, 4), Box(148, 0x40)};
    EXPECT_EQ(silent ? std::vector<std::string>{} : boxes, local.Boxes());
    local.ExpectCaptionOnEveryBox();
  }
}

TEST_F(DriverTest, NoRestartWithoutSilentStillAsks) {
  stages.pluginSetsRestartPending = true;
  fake.ui.answers = {kIdYes, kIdYes};
  EXPECT_EQ(0u, RunDriver(u"-norestart"));
  EXPECT_EQ((std::vector<std::string>{Box(103, 4), Box(115, 0x34)}), Boxes());
  EXPECT_EQ(1u, fake.platform.exitWindowsCalls.size());
}

TEST_F(DriverTest, PluginFailureWithNoRestartKeepsItsCode) {
  stages.providerResult = 3010;
  stages.pluginResult = 1603;
  EXPECT_EQ(1603u, RunDriver(u"-csp -silent -norestart"));
}

// Where nobody can see this process's windows.

TEST_F(DriverTest, NobodyToAnswerTheQuestionInstallsNothing) {
  fake.ui.canSee = false;
  EXPECT_EQ(0u, RunDriver(u"-csp -ucsp -selectDlg"));
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_EQ(0, fake.ui.dialogShown);
  EXPECT_EQ(0, fake.ui.progressResumed);
  EXPECT_TRUE(stages.providerCalls.empty());
  EXPECT_TRUE(stages.pluginCalls.empty());
  const std::vector<std::u16string> last{
      u"message 125 not shown: nobody can see it: " + ExpectedText(125),
      u"message 125 taken as answered: No"};
  EXPECT_EQ(last, std::vector<std::u16string>(fake.log.lines.end() - 2, fake.log.lines.end()));
}

TEST_F(DriverTest, NobodyToReadTheHelpEndsWithZero) {
  fake.ui.canSee = false;
  EXPECT_EQ(0u, RunDriver(u"-silent -bogus"));
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_TRUE(stages.pluginCalls.empty());
  EXPECT_EQ(0, fake.ui.progressCreated);
}

TEST_F(DriverTest, NobodyToReadTheRefusalOfAnOldWindows) {
  fake.ui.canSee = false;
  fake.platform.version = OsVersion{284, 4, 0, 6};
  EXPECT_EQ(8u, RunDriver(u"-silent"));
  EXPECT_TRUE(fake.ui.boxes.empty());
  EXPECT_EQ(u"message 116 taken as answered: OK", fake.log.lines.back());
}

// A silent run installs as anywhere; a restart is asked for in the way that works for a
// caller who is not the interactive user, and the outcome is what it answers.
TEST(Driver, SilentRunThatNobodySeesRestartsByInitiateSystemShutdown) {
  for (const bool accepted : {true, false}) {
    Scenario local;
    local.fake.ui.canSee = false;
    local.fake.platform.shutdownAccepted = accepted;
    local.stages.providerResult = 3010;
    EXPECT_EQ(accepted ? 0u : 7u, local.RunDriver(u"-silent -csp"));
    EXPECT_TRUE(local.fake.ui.boxes.empty());
    EXPECT_EQ(1u, local.stages.pluginCalls.size());
    EXPECT_EQ(std::vector<std::uint32_t>{0x80040002u}, local.fake.platform.shutdownReasons);
    EXPECT_TRUE(local.fake.platform.exitWindowsCalls.empty());
  }
}

// The restart offer.

TEST(Driver, RestartDeclinedEndsWithZero) {
  for (int answer : {kIdNo, 0}) {
    Scenario local;
    local.stages.pluginResult = 3010;
    local.fake.ui.answers = {kIdYes, answer};
    EXPECT_EQ(0u, local.RunDriver(u""));
    EXPECT_EQ(2u, local.fake.ui.boxes.size());
    EXPECT_TRUE(local.fake.platform.tokenAccess.empty());
    EXPECT_TRUE(local.fake.platform.exitWindowsCalls.empty());
  }
}

TEST_F(DriverTest, RestartAcceptedEndsWithZero) {
  stages.providerResult = 3010;
  EXPECT_EQ(0u, RunDriver(u"-csp"));
  EXPECT_EQ((std::vector<std::string>{Box(102, 4), Box(107, 0x34)}), Boxes());
  EXPECT_EQ(1u, fake.platform.exitWindowsCalls.size());
}

struct RestartFailureRow {
  const char* name;
  bool privilegeGranted;
  bool exitWindowsAccepted;
  bool tokenOpens;
};

void PrintTo(const RestartFailureRow& row, std::ostream* os) {
  *os << row.name;
}

class RestartFailureTest
    : public DriverTest,
      public ::testing::WithParamInterface<std::tuple<RestartFailureRow, bool>> {};

TEST_P(RestartFailureTest, Message111OnceAndExitSeven) {
  const auto& [row, silent] = GetParam();
  fake.platform.privilegeGranted = row.privilegeGranted;
  fake.platform.exitWindowsAccepted = row.exitWindowsAccepted;
  fake.platform.tokenOpens = row.tokenOpens;
  stages.pluginResult = 3010;
  EXPECT_EQ(7u, RunDriver(silent ? u"-silent" : u""));
  if (silent) {
    EXPECT_TRUE(fake.ui.boxes.empty());
  } else {
    EXPECT_EQ((std::vector<std::string>{Box(103, 4), Box(108, 0x34), Box(111, 0)}), Boxes());
  }
  EXPECT_EQ(row.exitWindowsAccepted ? 0u : 1u, fake.platform.exitWindowsCalls.size());
  EXPECT_TRUE(fake.kernel.Unbalanced().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RestartFailureTest,
    ::testing::Combine(::testing::Values(RestartFailureRow{"PrivilegeNotGranted", false, true,
                                                           true},
                                         RestartFailureRow{"RequestRefused", true, false, true},
                                         RestartFailureRow{"TokenNotOpened", true, true, false}),
                       ::testing::Bool()),
    [](const auto& p) {
      return std::string(std::get<0>(p.param).name) +
             (std::get<1>(p.param) ? "Silent" : "Interactive");
    });

}  // namespace
