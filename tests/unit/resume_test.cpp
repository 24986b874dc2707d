// The resume after a restart: when it is registered, what schtasks.exe is given, what the
// resumed run does, and that every ending leaves nothing behind.
#include <gtest/gtest.h>

#include "fakes/fake_resume.h"
#include "fakes/fake_system.h"
#include "fakes/scripted_install_stages.h"
#include "setup/command_line.h"
#include "resume/resume_task.h"
#include "setup/resumed_run.h"
#include "setup/setup_driver.h"

namespace {

const std::u16string kFolder = u"C:\\Program Files\\zirelpluginsetup-resume-1a2b3c4d";
const std::u16string kCopy = kFolder + u"\\zirelpluginsetup.exe";
const std::string kCreate =
    "schtasks /create /tn zirelpluginsetup-resume /xml \"C:\\Program "
    "Files\\zirelpluginsetup-resume-1a2b3c4d\\resume-task.xml\" /ru SYSTEM /f";
const std::string kDelete = "schtasks /delete /tn zirelpluginsetup-resume /f";

// One Windows machine with a distribution in C:\dist; every handle closed once at the end.
struct Machine {
  Machine() {
    sys.resume = &resume;
    fake.files.AddFile(u"C:\\dist\\plugin\\zirelcom-win32.msi");
    fake.files.AddFile(u"C:\\dist\\plugin\\zirelcom-x64.msi");
    fake.files.AddFile(u"C:\\windows\\system32\\schtasks.exe");
    fake.files.AddFile(u"C:\\windows\\Sysnative\\schtasks.exe");
    fake.files.AddFile(resume.ownPath);
    resume.contents[resume.ownPath] = u"launcher bytes";
    stages.pluginSetsRestartPending = true;
  }
  ~Machine() { EXPECT_EQ(std::vector<std::string>{}, fake.kernel.Unbalanced()); }

  std::uint32_t Run(const std::u16string& commandLine) {
    return RunSetup(sys, stages, state, ReadCommandLine(fake.platform, commandLine));
  }
  // The program the task starts, after a restart unless `restarted` is false.
  std::uint32_t RunTask(bool restarted = true) {
    if (restarted) resume.mark.reset();
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

TEST(Resume, TaskDefinitionForVistaAndLater) {
  const std::u16string xml =
      BuildTaskXml({2026, 12, 7, 22, 5, 9}, u"C:\\P & Q\\a.exe", u"C:\\P & Q");
  const std::u16string expected =
      u"\uFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
      u"<Task version=\"1.2\" "
      u"xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
      u"<Triggers><BootTrigger><StartBoundary>2026-12-07T22:05:09Z</StartBoundary>"
      u"<EndBoundary>2027-01-04T22:05:09Z</EndBoundary></BootTrigger></Triggers>\r\n"
      u"<Principals><Principal id=\"System\"><UserId>S-1-5-18</UserId></Principal>"
      u"</Principals>\r\n"
      u"<Settings><DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
      u"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"
      u"<ExecutionTimeLimit>PT1H</ExecutionTimeLimit>"
      u"<DeleteExpiredTaskAfter>PT0S</DeleteExpiredTaskAfter></Settings>\r\n"
      u"<Actions Context=\"System\"><Exec><Command>C:\\P &amp; Q\\a.exe</Command>"
      u"<WorkingDirectory>C:\\P &amp; Q</WorkingDirectory></Exec></Actions>\r\n"
      u"</Task>\r\n";
  EXPECT_EQ(Utf8(expected), Utf8(xml));
  EXPECT_EQ(u"2028-03-09T00:00:00Z", XmlDateTime(AddDays({2028, 2, 10, 0, 0, 0}, 28)));
}

TEST(Resume, SchtasksOfEachWindows) {
  struct Row {
    OsVersion windows;
    bool wow64;
    const char16_t* application;
    std::vector<std::string> commands;
  };
  const std::string xpCreate =
      "schtasks /create /tn zirelpluginsetup-resume /sc onstart /ru SYSTEM /tr "
      "\"\\\"C:\\Program Files\\zirelpluginsetup-resume-1a2b3c4d\\zirelpluginsetup.exe\\\"\"";
  for (const Row& row :
       {Row{{284, 6, 1, 1, 7601}, true, u"C:\\windows\\Sysnative\\schtasks.exe", {kCreate}},
        Row{{284, 5, 1, 3, 2600},
            false,
            u"C:\\windows\\system32\\schtasks.exe",
            {kDelete, xpCreate}},
        Row{{284, 5, 2, 2, 3790},
            true,
            u"C:\\windows\\system32\\schtasks.exe",
            {kDelete, xpCreate}}}) {
    Machine m;
    m.fake.platform.version = row.windows;
    m.fake.platform.wow64 = row.wow64;
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
    bool markExists;
    std::uint32_t schtasksCode;
    const char16_t* why;
  };
  for (const Row& row :
       {Row{"copy", "CopyNewFile", false, 0, u"the copy failed, error 112"},
        Row{"planted mark", "", true, 0, u"the registry mark exists"},
        Row{"schtasks", "", false, 1, u"schtasks failed, error 1"},
        Row{"folder", "CreateProtectedFolder", false, 0, u"the folder cannot be made, error 5"}}) {
    SCOPED_TRACE(row.name);
    Machine m;
    if (!row.failingCall.empty()) {
      m.resume.failures[row.failingCall] = row.failingCall == "CopyNewFile" ? 112 : 5;
    }
    m.resume.markCreatesExisting = row.markExists;
    m.fake.processes.exitCodes[u"schtasks /create"] = row.schtasksCode;
    EXPECT_EQ(3010u, m.Run(u"-silent -norestart"));
    EXPECT_FALSE(m.resume.Exists(kFolder));
    EXPECT_FALSE(m.resume.mark.has_value());
    EXPECT_TRUE(m.LogHas(std::u16string(u"resume: not registered: ") + row.why));
  }
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

TEST(Resume, AnUpToDateRunRemovesOnlyItsOwnLeftovers) {
  Machine m;
  m.Run(u"-silent -norestart");
  const std::u16string foreign = u"C:\\Program Files\\zirelpluginsetup-resume-99999999";
  const std::u16string junction = u"C:\\Program Files\\zirelpluginsetup-resume-88888888";
  m.fake.files.AddFile(foreign + u"\\resume.txt");
  m.fake.files.AddJunction(junction);
  m.fake.processes.started.clear();
  m.stages.pluginSetsRestartPending = false;
  m.state = SetupState{};
  m.state.pluginUpToDate = true;
  EXPECT_EQ(0u, m.Run(u"-silent -norestart"));
  EXPECT_EQ(std::vector<std::string>{kDelete}, m.Commands());
  EXPECT_FALSE(m.resume.Exists(kFolder));
  EXPECT_FALSE(m.resume.mark.has_value());
  EXPECT_TRUE(m.resume.Exists(foreign + u"\\resume.txt"));
  EXPECT_TRUE(m.resume.Exists(junction));

  // Nothing left over: no child process at all.
  m.fake.processes.started.clear();
  EXPECT_EQ(0u, m.Run(u"-silent -norestart"));
  EXPECT_TRUE(m.Commands().empty());
}

}  // namespace
