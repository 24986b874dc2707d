// The resume after a restart: when it is registered, what schtasks.exe is given, what the
// resumed run does, and that every ending leaves nothing behind.
#include <gtest/gtest.h>

#include "fakes/fake_resume.h"
#include "fakes/fake_system.h"
#include "fakes/fake_tables.h"
#include "fakes/scripted_install_stages.h"
#include "resume/boot_paths.h"
#include "resume/resume_task.h"
#include "setup/command_line.h"
#include "setup/resumed_run.h"
#include "setup/setup_driver.h"

namespace {

const std::u16string kFolder = u"C:\\Program Files\\zirelpluginsetup-resume-1a2b3c4d";
const std::u16string kCopy = kFolder + u"\\zirelpluginsetup.exe";
const std::string kCreate =
    "schtasks /create /tn zirelpluginsetup-resume /xml \"C:\\Program "
    "Files\\zirelpluginsetup-resume-1a2b3c4d\\resume-task.xml\" /ru SYSTEM /f";
const std::string kDelete = "schtasks /delete /tn zirelpluginsetup-resume /f";
const std::string kQuery = "schtasks /query /tn zirelpluginsetup-resume";
const std::u16string kPackage = u"C:\\dist\\plugin\\zirelcom-win32.msi";

// One Windows machine with a distribution in C:\dist; every handle closed once at the end.
struct Machine {
  Machine() {
    sys.resume = &resume;
    sys.tables = &tables;
    for (const std::u16string& package :
         {kPackage, std::u16string(u"C:\\dist\\plugin\\zirelcom-x64.msi")}) {
      fake.files.AddFile(package);
      tables.rows[package][u"SELECT `Cabinet` FROM `Media`"] = {u"#plugin.cab"};
      tables.rows[package][u"SELECT `Attributes` FROM `File`"] = {u"0", u"512"};
    }
    fake.files.AddFile(u"C:\\windows\\system32\\schtasks.exe");
    fake.files.AddFile(u"C:\\windows\\Sysnative\\schtasks.exe");
    fake.files.AddFile(resume.ownPath);
    resume.contents[resume.ownPath] = u"launcher bytes";
    stages.pluginSetsRestartPending = true;
  }
  ~Machine() { EXPECT_EQ(std::vector<std::string>{}, fake.kernel.Unbalanced()); }

  std::uint32_t Run(const std::u16string& commandLine) {
    state = SetupState{};
    return RunSetup(sys, stages, state, ReadCommandLine(fake.platform, commandLine));
  }
  // The program the task starts, after a restart.
  std::uint32_t RunTask() {
    fake.processes.started.clear();
    resume.ownPath = kCopy;
    resume.inUse.insert(kCopy);
    SetupState resumedState;
    ScriptedInstallStages resumedStages(fake.kernel, resumedState);
    resumedStages.pluginResult = taskPluginResult;
    resumedStages.pluginResults = taskPluginResults;
    const ResumeLaunch launch = DetectResumeLaunch(resume);
    EXPECT_TRUE(launch.resumed);
    const std::uint32_t code = RunResumed(sys, resumedStages, resumedState, launch);
    taskPluginCalls = resumedStages.pluginCalls;
    return code;
  }
  std::vector<std::string> Commands() const {
    std::vector<std::string> lines;
    for (const auto& start : fake.processes.started) lines.push_back(Utf8(start.commandLine));
    return lines;
  }
  bool LogHas(const std::u16string& text) const {
    for (const auto& line : fake.log.lines) {
      if (line.find(text) != std::u16string::npos) return true;
    }
    return false;
  }
  // What is left of the copy's folder.
  bool Left(const std::u16string& name) { return resume.Exists(kFolder + u"\\" + name); }

  FakeSystem fake;
  FakeResume resume{fake.files};
  FakeTables tables;
  System sys = fake.sys;
  SetupState state;
  ScriptedInstallStages stages{fake.kernel, state};
  std::uint32_t taskPluginResult = 0;
  std::vector<std::uint32_t> taskPluginResults;
  std::vector<ScriptedInstallStages::PluginCall> taskPluginCalls;
};

TEST(Resume, RegisteredOnlyWhenTheNewPluginIsLeftForTheRestart) {
  struct Row {
    const char* name;
    bool restartPending;
    std::uint32_t pluginResult;
    OsVersion windows;
    std::uint32_t exitCode;
  };
  const OsVersion win7{284, 6, 1, 1, 7601};
  for (const Row& row :
       {Row{"removal 3010", true, 0, win7, 3010}, Row{"removal 0", false, 0, win7, 0},
        Row{"first installation 3010", false, 3010, win7, 3010},
        Row{"installation failed", false, 1603, win7, 1603},
        Row{"Windows 2000", true, 0, {284, 5, 0, 4, 2195}, 3010}}) {
    SCOPED_TRACE(row.name);
    Machine m;
    m.fake.platform.version = row.windows;
    m.stages.pluginSetsRestartPending = row.restartPending;
    m.stages.pluginResult = row.pluginResult;
    EXPECT_EQ(row.exitCode, m.Run(u"-silent -norestart"));
    const bool registered = row.restartPending && row.windows.major >= 6;
    EXPECT_EQ(registered, m.resume.Exists(kFolder));
    EXPECT_EQ(registered ? std::vector<std::string>{kCreate} : std::vector<std::string>{},
              m.Commands());
    EXPECT_EQ(row.windows.major == 5, m.LogHas(u"resume: not registered: this Windows has no"));
  }
}

// The text of the first element named `name`, its start tag without attributes; npos-free.
std::string ElementText(const std::string& xml, const std::string& name) {
  const std::size_t open = xml.find("<" + name + ">");
  const std::size_t close = xml.find("</" + name + ">");
  if (open == std::string::npos || close == std::string::npos) return "(missing)";
  return xml.substr(open + name.size() + 2, close - open - name.size() - 2);
}

TEST(Resume, TaskDefinitionForVistaAndLater) {
  const std::string xml =
      Utf8(BuildTaskXml({2026, 12, 7, 22, 5, 9}, u"C:\\P & Q\\a.exe", u"C:\\P & Q"));
  EXPECT_EQ("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-16\"?>", xml.substr(0, 42));
  // Once, at the next start within four weeks, then gone.
  EXPECT_EQ("2026-12-07T22:05:09Z", ElementText(xml, "StartBoundary"));
  EXPECT_EQ("2027-01-04T22:05:09Z", ElementText(xml, "EndBoundary"));
  EXPECT_NE(std::string::npos, xml.find("<Triggers><BootTrigger><StartBoundary>"));
  EXPECT_EQ("PT0S", ElementText(xml, "DeleteExpiredTaskAfter"));
  // As LocalSystem, on batteries too, for at most an hour.
  EXPECT_EQ("S-1-5-18", ElementText(xml, "UserId"));
  EXPECT_NE(std::string::npos, xml.find("<Actions Context=\"System\">"));
  EXPECT_EQ("false", ElementText(xml, "DisallowStartIfOnBatteries"));
  EXPECT_EQ("false", ElementText(xml, "StopIfGoingOnBatteries"));
  EXPECT_EQ("PT1H", ElementText(xml, "ExecutionTimeLimit"));
  // The copy in its folder, without arguments: they are in the folder's resume file.
  EXPECT_EQ("C:\\P &amp; Q\\a.exe", ElementText(xml, "Command"));
  EXPECT_EQ("C:\\P &amp; Q", ElementText(xml, "WorkingDirectory"));
  EXPECT_EQ(std::string::npos, xml.find("<Arguments>"));
  EXPECT_NE(std::string::npos, ElementText(xml, "Description").find("Vestacor Signavel"));
  EXPECT_NE(std::string::npos, ElementText(xml, "Description").find("C:\\P &amp; Q"));
  EXPECT_EQ(u"2028-03-09T00:00:00Z", XmlDateTime(AddDays({2028, 2, 10, 0, 0, 0}, 28)));
}

TEST(Resume, SchtasksOfEachWindows) {
  struct Row {
    OsVersion windows;
    bool wow64;
    bool jobFile;  // a task registered earlier (Task Scheduler 1.0)
    const char16_t* application;
    std::vector<std::string> commands;
  };
  const std::string tr =
      " /ru SYSTEM /tr "
      "\"\\\"C:\\Program Files\\zirelpluginsetup-resume-1a2b3c4d\\zirelpluginsetup.exe\\\"\"";
  const std::string xpCreate = "schtasks /create /tn zirelpluginsetup-resume /sc onstart" + tr;
  const std::string xpChange = "schtasks /change /tn zirelpluginsetup-resume" + tr;
  const char16_t* system32 = u"C:\\windows\\system32\\schtasks.exe";
  for (const Row& row :
       {Row{{284, 6, 1, 1, 7601}, true, false, u"C:\\windows\\Sysnative\\schtasks.exe", {kCreate}},
        Row{{284, 5, 1, 3, 2600}, false, false, system32, {xpCreate}},
        Row{{284, 5, 2, 2, 3790}, true, true, system32, {xpChange}}}) {
    Machine m;
    m.fake.platform.version = row.windows;
    m.fake.platform.wow64 = row.wow64;
    if (row.jobFile) m.fake.files.AddFile(u"C:\\windows\\Tasks\\zirelpluginsetup-resume.job");
    m.Run(u"-silent -norestart");
    EXPECT_EQ(row.commands, m.Commands());
    for (const auto& start : m.fake.processes.started) {
      EXPECT_EQ(row.application, start.applicationName);
    }
    EXPECT_EQ(row.windows.major >= 6, m.Left(u"resume-task.xml"));
    EXPECT_TRUE(m.Left(row.wow64 ? u"plugin\\zirelcom-x64.msi" : u"plugin\\zirelcom-win32.msi"));
  }
}

TEST(Resume, NothingIsLeftWhenAStepFails) {
  struct Row {
    const char* name;
    std::string failingCall;
    std::uint32_t schtasksCode;
    bool keepsAccessLists;
    std::vector<std::u16string> files;  // Attributes of the package's File rows
    const char16_t* why;
  };
  const std::vector<std::u16string> compressed = {u"16384"};
  for (const Row& row :
       {Row{"copy", "CopyNewFile", 0, true, compressed, u"the copy failed, error 112"},
        Row{"schtasks", "", 1, true, compressed, u"schtasks failed, error 1"},
        Row{"folder", "CreateProtectedFolder", 0, true, compressed,
            u"the folder cannot be made, error 5"},
        Row{"FAT32", "", 0, false, compressed, u"Program Files keeps no access lists"},
        Row{"uncompressed file",
            "",
            0,
            true,
            {u"0", u"8192"},
            u"the package has uncompressed files"}}) {
    SCOPED_TRACE(row.name);
    Machine m;
    if (!row.failingCall.empty()) {
      m.resume.failures[row.failingCall] = row.failingCall == "CopyNewFile" ? 112 : 5;
    }
    m.resume.keepsAccessLists = row.keepsAccessLists;
    m.tables.rows[kPackage][u"SELECT `Attributes` FROM `File`"] = row.files;
    m.fake.processes.exitCodes[u"schtasks /create"] = row.schtasksCode;
    EXPECT_EQ(3010u, m.Run(u"-silent -norestart"));
    EXPECT_FALSE(m.resume.Exists(kFolder));
    EXPECT_TRUE(m.LogHas(std::u16string(u"resume: not registered: ") + row.why));
  }
  // Without a cabinet flag in its Word Count, a package's files are outside any cabinet.
  Machine m;
  m.tables.wordCounts[kPackage] = 0;
  m.Run(u"-silent -norestart");
  EXPECT_FALSE(m.resume.Exists(kFolder));
  // Without the mark a resumed run could not tell the restart from a start by hand.
  Machine unmarked;
  unmarked.stages.pluginMarksRestart = false;
  unmarked.Run(u"-silent -norestart");
  EXPECT_TRUE(unmarked.Commands().empty());
  EXPECT_TRUE(unmarked.LogHas(u"resume: not registered: no restart mark"));
}

TEST(Resume, ACabinetOutsideThePackagesFolderIsRefused) {
  Machine m;
  m.tables.rows[kPackage][u"SELECT `Cabinet` FROM `Media`"] = {u"..\\x.cab"};
  m.Run(u"-silent -norestart");
  EXPECT_FALSE(m.resume.Exists(kFolder));
}

// A second registration before one restart replaces the first only once it is complete.
TEST(Resume, AnEarlierRegistrationStaysUntilTheNextIsComplete) {
  const std::u16string second = u"C:\\Program Files\\zirelpluginsetup-resume-5e6f7081";
  Machine m;
  m.Run(u"-silent -norestart");
  m.fake.processes.exitCodes[u"schtasks /create"] = 1;
  m.Run(u"-silent -norestart");
  EXPECT_TRUE(m.Left(u"resume.txt"));
  EXPECT_FALSE(m.resume.Exists(second));

  m.resume.randoms.push_back(0x0badcafeu);
  m.fake.processes.exitCodes[u"schtasks /create"] = 0;
  m.Run(u"-silent -norestart");
  EXPECT_FALSE(m.resume.Exists(kFolder));
  EXPECT_TRUE(m.resume.Exists(u"C:\\Program Files\\zirelpluginsetup-resume-0badcafe\\resume.txt"));
}

TEST(Resume, AFolderThatExistsIsNeverUsed) {
  Machine m;
  m.fake.files.AddFile(kFolder + u"\\planted.exe");
  m.Run(u"-silent -norestart");
  EXPECT_TRUE(m.resume.Exists(kFolder + u"\\planted.exe"));
  EXPECT_FALSE(m.Left(u"resume.txt"));
  EXPECT_TRUE(m.resume.Exists(u"C:\\Program Files\\zirelpluginsetup-resume-5e6f7081\\resume.txt"));
}

TEST(Resume, TheTaskInstallsOnceAfterTheRestartAndGoes) {
  struct Row {
    const char* name;
    std::uint32_t pluginResult;
    std::uint32_t exitCode;
  };
  for (const Row& row :
       {Row{"installed", 0, 0}, Row{"restart needed", 3010, 3010}, Row{"failed", 1603, 1603}}) {
    SCOPED_TRACE(row.name);
    Machine m;
    m.Run(u"-silent -norestart -ZirelArgs \"PIDKEY=Hy5Ph6Nm\"");
    for (const auto& command : m.Commands()) EXPECT_EQ(std::string::npos, command.find("Hy5Ph6"));
    m.taskPluginResult = row.pluginResult;
    EXPECT_EQ(row.exitCode, m.RunTask());
    ASSERT_EQ(1u, m.taskPluginCalls.size());
    EXPECT_EQ(u"PIDKEY=Hy5Ph6Nm ", m.taskPluginCalls[0].pluginArgs);
    EXPECT_TRUE(m.taskPluginCalls[0].silent);
    EXPECT_EQ(kFolder, m.fake.files.currentDirectory);
    EXPECT_EQ(std::vector<std::string>{kDelete}, m.Commands());
    EXPECT_TRUE(m.fake.platform.exitWindowsCalls.empty() &&
                m.fake.platform.shutdownReasons.empty());
    for (const char16_t* name :
         {u"resume.txt", u"resume-task.xml", u"plugin\\zirelcom-win32.msi", u"plugin"}) {
      EXPECT_FALSE(m.Left(name)) << Utf8(name);
    }
    EXPECT_EQ((std::vector<std::u16string>{kCopy, kFolder}), m.resume.atRestart);
    // The copy started again by hand is a plain run, not a second resumed one.
    EXPECT_FALSE(DetectResumeLaunch(m.resume).resumed);
  }
}

TEST(Resume, ABusyInstallerIsTriedAgainEvery30sFor15Minutes) {
  Machine m;
  m.Run(u"-silent -norestart");
  m.taskPluginResults = {1618, 1618, 0};
  EXPECT_EQ(0u, m.RunTask());
  EXPECT_EQ(3u, m.taskPluginCalls.size());
  EXPECT_EQ((std::vector<std::uint32_t>{30000, 30000}), m.fake.platform.waits);

  Machine busy;
  busy.Run(u"-silent -norestart");
  busy.taskPluginResult = 1618;
  EXPECT_EQ(1618u, busy.RunTask());
  EXPECT_EQ(31u, busy.taskPluginCalls.size());
  EXPECT_EQ(std::vector<std::uint32_t>(30, 30000), busy.fake.platform.waits);
  EXPECT_FALSE(busy.Left(u"resume.txt"));
}

TEST(Resume, ARunThatLeavesThePluginInstalledRemovesOnlyItsOwnLeftovers) {
  Machine m;
  m.Run(u"-silent -norestart");
  const std::u16string foreign = u"C:\\Program Files\\zirelpluginsetup-resume-99999999";
  const std::u16string junction = u"C:\\Program Files\\zirelpluginsetup-resume-88888888";
  m.fake.files.AddFile(foreign + u"\\resume.txt");
  m.fake.files.AddJunction(junction);
  m.resume.mark = std::vector<std::u16string>{};
  m.fake.processes.started.clear();
  m.stages.pluginSetsRestartPending = false;
  EXPECT_EQ(0u, m.Run(u"-silent -norestart"));
  EXPECT_EQ(std::vector<std::string>{kDelete}, m.Commands());
  EXPECT_FALSE(m.resume.Exists(kFolder));
  EXPECT_TRUE(m.resume.mark.has_value());  // only the restart ends it
  EXPECT_TRUE(m.resume.Exists(foreign + u"\\resume.txt"));
  EXPECT_TRUE(m.resume.Exists(junction));

  // Nothing left over: no child process at all.
  m.fake.processes.started.clear();
  EXPECT_EQ(0u, m.Run(u"-silent -norestart"));
  EXPECT_TRUE(m.Commands().empty());
}

// A copy in a resume folder that is not the launcher's own (its access list reset, say) must
// not run setup as SYSTEM at every start: it deletes its task and stops.
TEST(Resume, AnUntrustedCopyAtBootRunsNothing) {
  Machine m;
  m.Run(u"-silent -norestart");
  m.resume.trusted.erase(kFolder);
  EXPECT_EQ(5u, m.RunTask());
  EXPECT_TRUE(m.taskPluginCalls.empty());
  EXPECT_EQ(std::vector<std::string>{kDelete}, m.Commands());
  EXPECT_TRUE(m.Left(u"resume.txt"));
  EXPECT_TRUE(m.LogHas(u"is not the launcher's own (another owner or access list)"));
}

TEST(Resume, CancelEndsWithTheFailingStepsCode) {
  Machine m;
  m.Run(u"-silent -norestart");
  m.fake.processes.exitCodes[u"schtasks /delete"] = 5;
  EXPECT_EQ(5u, m.Run(u"-cancelresume"));
  EXPECT_TRUE(m.resume.Exists(kFolder));
  EXPECT_TRUE(m.fake.ui.boxes.empty());
}

TEST(Resume, PathsOfThePluginArgumentsUnfitAtBoot) {
  EXPECT_EQ(u"", PathsUnfitAtBoot(u"/l*v C:\\Logs\\p.log TRANSFORMS=:embedded.mst;C:\\t\\a.mst "
                                  u"INSTALLDIR=\"C:\\Program Files\\V\" PIDKEY=secret\\key"));
  EXPECT_EQ(
      u"p.log (relative), \\\\srv\\t\\a.mst (network share), ..\\b.mst (relative), "
      u"\\\\srv\\apps (network share)",
      PathsUnfitAtBoot(u"/L*V \"p.log\" transforms=@\\\\srv\\t\\a.mst;..\\b.mst "
                       u"TargetDir=\\\\srv\\apps"));
}

}  // namespace
