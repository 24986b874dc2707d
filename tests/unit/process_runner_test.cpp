#include "actions/process_runner.h"

#include "install_fixture.h"

namespace {

class RunProcessTest : public InstallTest {};

struct ExitCase {
  std::uint32_t exitCode;
};

class RunProcessExitCode : public InstallTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(RunProcessExitCode, ReturnsTheChildsExitCodeAfterAnEndlessWait) {
  fake.processes.exitCodes[u"msiexec /qn"] = GetParam().exitCode;
  EXPECT_EQ(GetParam().exitCode, RunProcess(fake.sys, u"msiexec /qn /i \"C:\\dist\\a.msi\""));
  ASSERT_EQ(1u, fake.processes.started.size());
  EXPECT_EQ(kCreateNoWindow, fake.processes.started[0].creationFlags);
  EXPECT_EQ(std::vector<std::uint32_t>{kInfinite}, fake.processes.waits);
  EXPECT_EQ(std::vector<ProcessHandle>{fake.processes.handedOut[0].process},
            fake.processes.waitedHandles);
}

INSTANTIATE_TEST_SUITE_P(Codes, RunProcessExitCode,
                         ::testing::Values(ExitCase{0}, ExitCase{3010}, ExitCase{1603},
                                           ExitCase{0xC0000005u}));

struct LookupCase {
  const char* name;
  std::u16string commandLine;
  std::u16string application;  // empty: must not start
};

class RunProcessLookup : public InstallTest, public ::testing::WithParamInterface<LookupCase> {};

// The program is taken from the system directory, then from the Windows directory, never from
// the current directory; the command text itself goes to the child as it is.
TEST_P(RunProcessLookup, StartsOnlyProgramsOfTheSystemAndWindowsDirectories) {
  fake.files.AddFile(u"C:\\dist\\msiexec.exe");
  fake.files.AddFile(u"C:\\dist\\planted.exe");
  fake.files.AddFile(u"C:\\windows\\msiexec.exe");
  fake.files.AddDirectory(u"C:\\windows\\system32\\tools.exe");
  const LookupCase& c = GetParam();
  const std::uint32_t result = RunProcess(fake.sys, c.commandLine);
  if (c.application.empty()) {
    EXPECT_EQ(2u, result);
    EXPECT_TRUE(fake.processes.started.empty());
    EXPECT_TRUE(fake.processes.waits.empty());
  } else {
    EXPECT_EQ(0u, result);
    ASSERT_EQ(1u, fake.processes.started.size());
    EXPECT_EQ(Utf8(c.application), Utf8(fake.processes.started[0].applicationName));
    EXPECT_EQ(Utf8(c.commandLine), Utf8(fake.processes.started[0].commandLine));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Programs, RunProcessLookup,
    ::testing::Values(
        LookupCase{"SystemDirectoryFirst", u"msiexec /qn /x {B5290F4D} REBOOT=R",
                   u"C:\\windows\\system32\\msiexec.exe"},
        LookupCase{"WindowsDirectorySecond", u"regedit /s ZAZ_x86_2.reg",
                   u"C:\\windows\\regedit.exe"},
        LookupCase{"Regini", u"regini ZAZ_acl_x64.acl", u"C:\\windows\\system32\\regini.exe"},
        LookupCase{"ExtensionGiven", u"MSIEXEC.EXE /qn", u"C:\\windows\\system32\\MSIEXEC.EXE"},
        LookupCase{"NoArguments", u"regini", u"C:\\windows\\system32\\regini.exe"},
        LookupCase{"OnlyInCurrentDirectory", u"planted /x", u""},
        LookupCase{"Missing", u"nosuchprogram /x", u""},
        LookupCase{"DirectoryOfThatName", u"tools /x", u""},
        LookupCase{"EmptyCommandLine", u"", u""}, LookupCase{"LeadingBlank", u" msiexec /qn", u""},
        LookupCase{"RelativePath", u"..\\dist\\msiexec /qn", u""},
        LookupCase{"AbsolutePath", u"C:\\dist\\msiexec /qn", u""},
        LookupCase{"Quoted", u"\"msiexec\" /qn", u""}),
    [](const ::testing::TestParamInfo<LookupCase>& param) { return param.param.name; });

TEST_F(RunProcessTest, CallersTextIsUnchangedAlthoughTheChildsBufferWasWritten) {
  const std::u16string command = u"msiexec /qn /i \"C:\\dist\\x 64\\a.msi\"  REBOOT=R";
  const std::u16string before = command;
  RunProcess(fake.sys, command);
  EXPECT_EQ(before, command);
  ASSERT_EQ(1u, fake.processes.started.size());
  EXPECT_EQ(before, fake.processes.started[0].commandLine);
}

// The log's "run:" line masks property values but keeps the switches, their files, the
// package and the public properties; the child gets its command line unchanged. The line is
// written before the program is looked up, so also for one that is not found.
TEST_F(RunProcessTest, LogMasksPropertyValuesTheChildGetsThemUnchanged) {
  const std::u16string command =
      u"msiexec /qn /i \"C:\\dist\\a.msi\" /l*v C:\\Logs\\a.log PIDKEY=\"k1 \"\"k1\"\"\" "
      u"SERIAL=s2 REINSTALL=ALL REINSTALLMODE=vomus REBOOT=R";
  RunProcess(fake.sys, command);
  ASSERT_EQ(1u, fake.processes.started.size());
  EXPECT_EQ(command, fake.processes.started[0].commandLine);
  RunProcess(fake.sys, u"planted PIDKEY=k1");
  std::vector<std::string> runLines;
  for (const auto& line : fake.log.lines) {
    if (line.rfind(u"run: ", 0) == 0 && line.find(u"=") != std::u16string::npos) {
      runLines.push_back(Utf8(line));
    }
  }
  EXPECT_EQ((std::vector<std::string>{
                "run: msiexec /qn /i \"C:\\dist\\a.msi\" /l*v C:\\Logs\\a.log PIDKEY=*** "
                "SERIAL=*** REINSTALL=ALL REINSTALLMODE=vomus REBOOT=R",
                "run: planted PIDKEY=***"}),
            runLines);
}

TEST_F(RunProcessTest, StartFailureReturnsTheLastErrorWithoutWaiting) {
  fake.processes.startErrors[u"msiexec"] = 5;  // ERROR_ACCESS_DENIED
  fake.kernel.lastError = 87;                  // left by some earlier call: never the answer
  EXPECT_EQ(5u, RunProcess(fake.sys, u"msiexec /qn"));
  EXPECT_TRUE(fake.processes.waits.empty());
  EXPECT_EQ(0u, fake.kernel.HandedOut("process"));
}

// A child whose end cannot be read never counts as a success: the error is the result.
TEST_F(RunProcessTest, UnreadableExitCodeIsItsError) {
  fake.processes.exitCodes[u"msiexec"] = 0;
  fake.processes.exitCodeReadFails = true;
  EXPECT_EQ(6u, RunProcess(fake.sys, u"msiexec /qn"));  // ERROR_INVALID_HANDLE
}

TEST_F(RunProcessTest, FindsProgramsInASystemDirectoryLongerThanThePathLimit) {
  const std::u16string longDirectory = u"C:\\" + std::u16string(290, u'd');
  fake.files.systemDirectory = longDirectory;
  fake.files.AddFile(longDirectory + u"\\msiexec.exe");
  EXPECT_EQ(0u, RunProcess(fake.sys, u"msiexec /qn"));
  ASSERT_EQ(1u, fake.processes.started.size());
  EXPECT_EQ(longDirectory + u"\\msiexec.exe", fake.processes.started[0].applicationName);
}

TEST_F(RunProcessTest, UnreadableSystemDirectoryFallsBackToTheWindowsDirectory) {
  fake.files.systemDirectory = u"";  // GetSystemDirectoryW returns 0
  fake.files.AddFile(u"C:\\windows\\msiexec.exe");
  EXPECT_EQ(0u, RunProcess(fake.sys, u"msiexec /qn"));
  ASSERT_EQ(1u, fake.processes.started.size());
  EXPECT_EQ(u"C:\\windows\\msiexec.exe", fake.processes.started[0].applicationName);
}

// Records the order in which handles are closed.
class ClosingPlatform : public FakePlatform {
 public:
  using FakePlatform::FakePlatform;
  std::vector<std::uintptr_t> closed;

 protected:
  bool CloseKernelObject(std::uintptr_t handle) override {
    closed.push_back(handle);
    return FakePlatform::CloseKernelObject(handle);
  }
};

TEST_F(RunProcessTest, ClosesTheProcessHandleThenTheThreadHandle) {
  ClosingPlatform platform(fake.kernel);
  System sys{fake.installer, fake.files, fake.processes, fake.certs,
             platform,       fake.ui,    fake.resources};
  fake.processes.exitCodes[u"regini"] = 3010;
  EXPECT_EQ(3010u, RunProcess(sys, u"regini ZAZ_acl_x86.acl"));
  ASSERT_EQ(1u, fake.processes.handedOut.size());
  const ProcessHandles& handles = fake.processes.handedOut[0];
  EXPECT_EQ((std::vector<std::uintptr_t>{RawHandle(handles.process), RawHandle(handles.thread)}),
            platform.closed);
}

}  // namespace
