"""The plug-in installation with real msiexec: first installation, replacement of an older
plug-in, completion of a plug-in without its browser feature, nothing to do, missing packages,
the architecture of the package, and installations and removals that end with 3010 or 1603."""

import os
import re
import shutil
import subprocess
from dataclasses import dataclass, field

from harness import checks, texts
from harness.checks import Box
from harness.run_log import expect_lines, launcher_pid, read_lines
from harness.session import Session

from . import installer_fixtures as fixtures
from . import stand_ins
from .installer_operations import run_windows_program

_CAPTION = texts.STRINGS[texts.CAPTION]

QUESTION_YES = Box(_CAPTION, texts.STRINGS[103], "none", ("yes", "no"), "yes")
DONE = Box(_CAPTION, texts.STRINGS[110], "none", ("ok",), "ok")
RESTART_AFTER_INSTALL_NO = Box(_CAPTION, texts.STRINGS[108], "warning", ("yes", "no"), "no")
RESTART_BEFORE_INSTALL_NO = Box(_CAPTION, texts.STRINGS[115], "warning", ("yes", "no"), "no")
NO_PACKAGE = Box(texts.STRINGS[129], texts.STRINGS[139], "error", ("ok",), "ok")


def failed(code):
    return Box(_CAPTION, f"{texts.STRINGS[106]}: {code}.", "error", ("ok",), "ok")


NOT_INSTALLED = {"state": "-1", "version": "error 1605"}

# Where a package made to record properties writes them, under a key named after its file.
_RECORDED = r"Software\Vestacor\Recorded"


def record_properties(session, recorded):
    """Makes each package of the launcher's directory named in `recorded` ({file name:
    {property: value}}) write the value msiexec gives each of those properties into the
    registry when it is installed (an x64 package into the 64-bit view)."""
    for folder, _, names in os.walk(session.workdir):
        for name in set(names) & set(recorded):
            msi = os.path.join(folder, name)
            component = subprocess.run(["msiinfo", "export", msi, "Component"], check=True,
                                       capture_output=True, text=True).stdout.split("\n")[3]
            queries = [("Registry", "`Registry`, `Root`, `Key`, `Name`, `Value`, `Component_`",
                        f"'Recorded{i}', 2, '{_RECORDED}\\{name}', '{prop}', '[{prop}]', "
                        f"'{component.split()[0]}'") for i, prop in enumerate(recorded[name])]
            queries += [("InstallExecuteSequence", "`Action`, `Condition`, `Sequence`",
                         f"'{action}', '', {sequence}")
                        for action, sequence in (("RemoveRegistryValues", 2600),
                                                 ("WriteRegistryValues", 5000))]
            for table, columns, values in queries:
                subprocess.run(["msibuild", msi, "-q",
                                f"INSERT INTO `{table}` ({columns}) VALUES ({values})"],
                               check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)


def recorded_values(session, name):
    """{property: value} that the package `name` recorded (see record_properties)."""
    _, output = run_windows_program(session, ["reg", "query", f"HKLM\\{_RECORDED}\\{name}",
                                              "/reg:64"])
    return dict(re.findall(r"^    (.+?)    REG_SZ    (.*)$", output.replace("\r", ""), re.M))


def installed(version, package, vivazed="3"):
    return {"state": "5", "version": version, "packagename": package,
            "feature VIVAZED": vivazed, "feature Core": "3"}


@dataclass
class PluginCase:
    """One launch of the launcher over a distribution of plug-in packages.

    beforehand: packages installed with plain msiexec first, as (set, file, properties...);
    distribution: {subdirectory of the launcher's directory: fixture set};
    files: {subdirectory: (fixture set, file)}, single packages put there besides;
    boxes and exit_code: what the launch must show and end with;
    after: what the Windows Installer must report about the plug-in afterwards;
    msiexec_runs: how many child processes run, every one of them msiexec;
    launches: the launch is repeated this often in the same prefix, each one checked alike;
    exe: the launcher's file, relative to the build directory (default: the one built);
    unseen: the launcher runs on a window station that nobody sees (see Session.launch), where
    no box may wait for an answer: the driver's time limit ends a launch that hangs;
    log: patterns of lines of the run's log in their order ("{work}" stands for the launcher's
    directory), the last one matching its last line;
    hidden: texts that no line of the run's log may hold;
    recorded: {package file name: {property: value}}: the package records these properties
    (see record_properties), to which msiexec must have given these values;
    no_task: schtasks.exe is the command recorder, which no run may reach, and no folder for a
    resume after the restart may be made (see resume.py)."""
    name: str
    beforehand: list
    distribution: dict
    args: str
    boxes: list
    exit_code: int
    after: dict
    msiexec_runs: int = 1
    launches: int = 1
    exe: str = None
    prefix: str = "win64"
    env: dict = field(default_factory=dict)
    unseen: bool = False
    log: tuple = ()
    hidden: tuple = ()
    recorded: dict = field(default_factory=dict)
    no_task: bool = False
    files: dict = field(default_factory=dict)

    def run(self, layout, prefixes):
        with Session(layout, prefixes, self.name, kind=self.prefix, env=self.env) as session:
            for package_set, file_name, *properties in self.beforehand:
                fixtures.install_beforehand(session, package_set, file_name, *properties)
            fixtures.put_distribution(session, self.distribution)
            record_properties(session, self.recorded)
            for subdirectory, (package_set, file_name) in self.files.items():
                os.makedirs(os.path.join(session.workdir, subdirectory), exist_ok=True)
                shutil.copy(fixtures.package_path(layout, package_set, file_name),
                            os.path.join(session.workdir, subdirectory))
            if self.no_task:
                stand_ins.replace(session, "schtasks.exe")
            exe = self.exe and os.path.join(layout.build_dir, self.exe)
            for _ in range(self.launches):
                report = session.launch(self.args, answers=checks.box_answers(self.boxes),
                                        exe=exe, station="ZirelDeployment" if self.unseen else None)
                check = checks.Checker(report)
                checks.expect_ran(check, self.exit_code)
                checks.expect_boxes(check, self.boxes)
                checks.expect_no_dialog(check)
                check.equal("child processes",
                            [p.get("exe", "").lower() for p in report.processes],
                            ["msiexec.exe"] * self.msiexec_runs)
                fixtures.expect_product(check, session, fixtures.PLUGIN_CODE, self.after)
                if self.log:
                    expect_lines(check, session, self.log, launcher_pid(report))
                for text in self.hidden:
                    check.equal(f"run log lines holding {text!r}",
                                [line for line in read_lines(check, session) if text in line], [])
                for name, values in self.recorded.items():
                    check.equal(f"properties recorded by {name}", recorded_values(session, name),
                                values)
                if self.no_task:
                    check.equal("schtasks runs", stand_ins.runs(session), [])
                    check.equal("resume folders", resume_folders(session), [])
                check.done()


def resume_folders(session):
    """Folders under the 32-bit Program Files named like those of a resume after the restart."""
    folder = os.path.join(session.prefix.path, "drive_c", "Program Files (x86)"
                          if session.kind == "win64" else "Program Files")
    return sorted(name for name in os.listdir(folder) if name.startswith("zirelpluginsetup"))


_X64 = "zirelcom-x64.msi"
_WIN32 = "zirelcom-win32.msi"

CASES = [
    PluginCase("plugin_first_installation", [], {"plugin": "plugin-2.0.0"}, "",
               [QUESTION_YES, DONE], 0, installed("2.0.0", _X64)),
    PluginCase("plugin_first_installation_silent", [], {"plugin": "plugin-2.0.0"}, "-silent",
               [], 0, installed("2.0.0", _X64)),
    PluginCase("plugin_first_installation_silent_signed_copy", [], {"plugin": "plugin-2.0.0"},
               "-silent", [], 0, installed("2.0.0", _X64), exe="signed/zirelpluginsetup.exe"),
    # The extra arguments reach msiexec: only the Core feature is installed. The log shows
    # ADDLOCAL, a public property, and the licence key only as ***.
    PluginCase("plugin_first_installation_with_msiexec_arguments", [],
               {"plugin": "plugin-2.0.0"}, '-ZirelArgs "PIDKEY=\\"s3cr3t w0rd\\" ADDLOCAL=Core"',
               [QUESTION_YES, DONE], 0, installed("2.0.0", _X64, vivazed="2"),
               log=(r'command line: "-ZirelArgs "PIDKEY=\*\*\* ADDLOCAL=Core""',
                    r'options: .*, plug-in arguments "PIDKEY=\*\*\* ADDLOCAL=Core ", -askclose no, '
                    r'-maxdefer 3',
                    r'run: msiexec /qn /i "{work}\\plugin\\zirelcom-x64\.msi" PIDKEY=\*\*\* '
                    r'ADDLOCAL=Core  REBOOT=R',
                    r"exit code 0"),
               hidden=("s3cr3t", "w0rd"), recorded={_X64: {"PIDKEY": "s3cr3t w0rd"}}),
    # msiexec takes properties whose names are no identifiers: their values are masked too.
    PluginCase("plugin_masks_the_values_of_properties_of_any_name", [],
               {"plugin": "plugin-2.0.0"}, '-silent -ZirelArgs "PID-KEY=Hy5Ph6Nm 1ACC=Dg3St4Rt"',
               [], 0, installed("2.0.0", _X64),
               log=(r'command line: "-silent -ZirelArgs "PID-KEY=\*\*\* 1ACC=\*\*\*""',
                    r'options: .*, plug-in arguments "PID-KEY=\*\*\* 1ACC=\*\*\* ", '
                    r'-askclose no, -maxdefer 3',
                    r'run: msiexec /qn /i "{work}\\plugin\\zirelcom-x64\.msi" PID-KEY=\*\*\* '
                    r'1ACC=\*\*\*  REBOOT=R',
                    r"exit code 0"),
               hidden=("Hy5Ph6Nm", "Dg3St4Rt"),
               recorded={_X64: {"PID-KEY": "Hy5Ph6Nm", "1ACC": "Dg3St4Rt"}}),
    # msiexec for the plug-in gets ACCA="Uq3x Yk7w Zm8n" from two -ZirelArgs; the odd quote of
    # -CSPArgs goes to the CSP's msiexec only, and the command line is masked so too. Wine's
    # msiexec reads that quote on to the end of its command line, into the value of ACCB.
    PluginCase("plugin_masks_a_value_joined_from_two_options_beside_an_odd_quote_of_another",
               [], {"csp": "csp-3.6.7000", "plugin": "plugin-2.0.0"},
               r'-silent -csp -CSPArgs "ACCB=Qw1\"Er2" -ZirelArgs "ACCA=\"Uq3x" '
               r'-ZirelArgs "Yk7w Zm8n\""',
               [], 0, installed("2.0.0", _X64), msiexec_runs=2,
               log=(r'command line: "-silent -csp -CSPArgs ACCB=\*\*\* -ZirelArgs ACCA=\*\*\* '
                    r'-ZirelArgs \*\*\*"',
                    r'options: .*, CSP arguments "ACCB=\*\*\*", .*, '
                    r'plug-in arguments "ACCA=\*\*\* ", -askclose no, -maxdefer 3',
                    r'run: msiexec /qn /i "{work}\\csp\\csp-x64-kc1-eng\.msi" ACCB=\*\*\*',
                    r'run: msiexec /qn /i "{work}\\plugin\\zirelcom-x64\.msi" ACCA=\*\*\*  '
                    r'REBOOT=R',
                    r"exit code 0"),
               hidden=("Qw1", "Er2", "Uq3x", "Yk7w", "Zm8n"),
               recorded={"csp-x64-kc1-eng.msi": {"ACCB": "Qw1Er2 REBOOT=R"},
                         _X64: {"ACCA": "Uq3x Yk7w Zm8n"}}),
    PluginCase("plugin_older_removed_then_newer_installed", [("plugin-1.0.0", _X64)],
               {"plugin": "plugin-2.0.0"}, "", [QUESTION_YES, DONE], 0,
               installed("2.0.0", _X64), msiexec_runs=2, no_task=True),
    PluginCase("plugin_same_version_without_browser_feature_completed",
               [("plugin-2.0.0", _X64, "ADDLOCAL=Core")], {"plugin": "plugin-2.0.0"}, "",
               [QUESTION_YES, DONE], 0, installed("2.0.0", _X64)),
    PluginCase("plugin_same_version_with_browser_feature_left_alone", [("plugin-2.0.0", _X64)],
               {"plugin": "plugin-2.0.0"}, "", [QUESTION_YES, DONE], 0,
               installed("2.0.0", _X64), msiexec_runs=0),
    PluginCase("plugin_newer_installed_not_replaced", [("plugin-3.0.0", _X64)],
               {"plugin": "plugin-2.0.0"}, "", [QUESTION_YES, DONE], 0,
               installed("3.0.0", _X64), msiexec_runs=0),
    # The older package is installed over the newer product to add the feature, which the
    # Windows Installer refuses: another version of the product is installed (1638).
    PluginCase("plugin_newer_installed_without_browser_feature_older_package_refused",
               [("plugin-3.0.0", _X64, "ADDLOCAL=Core")], {"plugin": "plugin-2.0.0"}, "",
               [QUESTION_YES, failed(1638)], 1638, installed("3.0.0", _X64, vivazed="2")),
    PluginCase("plugin_no_package", [], {}, "", [QUESTION_YES, NO_PACKAGE, failed(232)], 232,
               NOT_INSTALLED, msiexec_runs=0),
    # Message 139 comes right after the progress window is started: the window must be up
    # first, so that the box is above it, its icon readable, every time.
    PluginCase("plugin_installed_package_missing_silent_still_shows_the_lookup_failure",
               [("plugin-2.0.0", _X64)], {}, "-silent", [NO_PACKAGE], 232,
               installed("2.0.0", _X64), msiexec_runs=0, launches=5),
    PluginCase("plugin_no_package_silent", [], {"other": "ucsp-4.0.100"}, "-silent", [], 232,
               NOT_INSTALLED, msiexec_runs=0),
    PluginCase("plugin_32_bit_windows_takes_the_win32_package", [], {"plugin": "plugin-2.0.0"},
               "", [QUESTION_YES, DONE], 0, installed("2.0.0", _WIN32), prefix="win32"),
    # amd64\ is listed before x86\: the version check meets the x64 package first, which the
    # Windows Installer refuses here (1633), and compares the win32 one instead.
    PluginCase("plugin_32_bit_windows_upgrade_passes_over_the_x64_package_met_first",
               [("plugin-1.0.0", _WIN32)], {}, "-silent", [], 0, installed("2.0.0", _WIN32),
               msiexec_runs=2, prefix="win32",
               files={"amd64": ("plugin-2.0.0", _X64), "x86": ("plugin-2.0.0", _WIN32)},
               log=(r"upgrade check: {work}\\amd64\\zirelcom-x64\.msi is for another platform "
                    r"\(1633\), passed over",
                    r'run: msiexec /qn /i "{work}\\x86\\zirelcom-win32\.msi" .*', "exit code 0")),
    PluginCase("plugin_installation_asks_for_a_restart_declined", [],
               {"plugin": "plugin-2.0.0-reboot-install"}, "",
               [QUESTION_YES, RESTART_AFTER_INSTALL_NO], 0, installed("2.0.0", _X64)),
    # A removal that needs a restart: see resume.py.
    # A deployment system's msiexec-style command line: the restart is its own to plan.
    PluginCase("plugin_installation_asks_for_a_restart_left_to_the_caller", [],
               {"plugin": "plugin-2.0.0-reboot-install"}, "-silent -norestart", [], 3010,
               installed("2.0.0", _X64),
               log=(r"restart: needed, left to the caller \(-norestart\)", "exit code 3010"),
               no_task=True),
    PluginCase("plugin_installation_fails", [], {"plugin": "plugin-2.0.0-fail"}, "",
               [QUESTION_YES, failed(1603)], 1603, NOT_INSTALLED),
]

# Runs started where nobody can see them (a deployment system's SYSTEM account): no box waits
# for an answer, and the run goes on as after the answer that agrees to nothing.
_UNSEEN = r"display: window station flags 0, session \d+; somebody can see this process's " \
          r"windows: no"
CASES += [
    PluginCase("unseen_installed_package_missing_silent_ends_without_the_lookup_box",
               [("plugin-2.0.0", _X64)], {}, "-silent", [], 232, installed("2.0.0", _X64),
               msiexec_runs=0, unseen=True,
               log=(_UNSEEN,
                    "message 139 not shown: nobody can see it: " + re.escape(texts.STRINGS[139]),
                    "message 139 taken as answered: OK", "exit code 232")),
    PluginCase("unseen_mistyped_option_ends_without_the_help", [], {"plugin": "plugin-2.0.0"},
               "-silent -norestrat", [], 0, NOT_INSTALLED, msiexec_runs=0, unseen=True,
               log=(_UNSEEN, "help not shown: nobody can see it: .*", "exit code 0")),
    PluginCase("unseen_without_silent_installs_nothing", [], {"plugin": "plugin-2.0.0"}, "", [],
               0, NOT_INSTALLED, msiexec_runs=0, unseen=True,
               log=(_UNSEEN,
                    "message 103 not shown: nobody can see it: " + re.escape(texts.STRINGS[103]),
                    "message 103 taken as answered: No", "exit code 0")),
    PluginCase("unseen_silent_installs", [], {"plugin": "plugin-2.0.0"}, "-silent", [], 0,
               installed("2.0.0", _X64), unseen=True),
    # ExitWindowsEx may do nothing for a caller who is not the interactive user.
    PluginCase("unseen_silent_restart_asked_by_initiate_system_shutdown", [],
               {"plugin": "plugin-2.0.0-reboot-install"}, "-silent", [], 0,
               installed("2.0.0", _X64), unseen=True,
               log=(_UNSEEN, "restart: needed, started without asking",
                    "restart: InitiateSystemShutdownExW answered 1",
                    "restart: Windows accepted the request", "exit code 0")),
]
