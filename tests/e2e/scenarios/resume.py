"""Finishing a plug-in upgrade after the restart. When the removal of the older plug-in ends
with 3010, the launcher leaves a copy of itself and the new package in a folder of its own
under the 32-bit Program Files and registers a one-time startup task through schtasks.exe.
Wine's Task Scheduler never starts a task, so schtasks.exe is the command recorder here, and
a scenario does what Windows would: it restarts (the prefix's server ends, which drops the
volatile registry mark; the next start carries out the pending file operations) and starts
the registered command in the task's working folder (on XP, which has none, in the system
folder). Wine never schedules a file operation for the next start itself: a scenario writes
the ones the Windows Installer would have left."""

import os
import re
import shutil
import xml.etree.ElementTree as ElementTree
from collections import namedtuple
from dataclasses import dataclass

from harness import checks
from harness.run_log import expect_lines, take_lines
from harness.session import Session

from . import installer_fixtures as fixtures
from . import stand_ins
from .installer_operations import run_windows_program
from .plugin_install import (NOT_INSTALLED, QUESTION_YES, RESTART_BEFORE_INSTALL_NO, installed,
                             resume_folders)

TASK = "zirelpluginsetup-resume"
SECRET = "Hy5Ph6Nm"
# The schtasks.exe that runs: on 64-bit Windows the 64-bit one, through Sysnative.
SCHTASKS = r"C:\windows\system32\schtasks.exe"
DELETE = f"schtasks /delete /tn {TASK} /f"
QUERY = f"schtasks /query /tn {TASK}"
COPY = "zirelpluginsetup.exe"
# Programs the driver may or may not catch: the recorder and Wine's console host.
_QUICK = ("", "schtasks.exe", "conhost.exe")


# The removed plug-in's files as the mark holds them: the same in every prefix (the x64
# package's is the 64-bit Program Files).
PLUGIN_FILES = [r"C:\Program Files\Vestacor\Signavel\core.txt",
                r"C:\Program Files\Vestacor\Signavel\vivazed.txt"]
# What the Windows Installer schedules for a file it moved aside: no file of the plug-in.
RBF = (r"\??\C:\Config.Msi\3c9e21.rbf", "")

# One run after the registration: `run` is "task" (the registered command, no arguments),
# "launcher" (the distribution's, with `args`) or None (Windows only restarts: nothing of the
# resume may be left then); `restart`: Windows restarts first; `installs`: it runs msiexec
# once, installing the plug-in; `finishes`: it deletes the task and the folder's files (the
# running copy and the folder may wait for the next restart); `exit_code`; `pending`: the
# (source, target) pairs written into PendingFileRenameOperations before it; `meanwhile`: a
# plug-in fixture set installed with plain msiexec before it; `log`: patterns of its log lines
# in order ("{folder}" the resume folder); `schtasks`: its schtasks runs, when other than
# `finishes` says.
Step = namedtuple("Step", "run restart installs finishes exit_code args pending meanwhile log "
                  "schtasks", defaults=(0, "-silent", (), None, (), None))

AFTER_RESTART = Step("task", restart=True, installs=True, finishes=True)
SETTLED = Step(None, restart=True, installs=False, finishes=False)


@dataclass
class ResumeCase:
    """plugin-1.0.0-reboot-remove installed, plugin-2.0.0 in the distribution: the first launch
    (`args`, `boxes`, `exit_code`) removes the old plug-in, leaves the new one uninstalled and
    registers the task; then the `steps`, each checked in turn. `schtasks_exits`: what the
    runs of schtasks.exe end with, in turn (0 by default); when the first (/create) fails,
    nothing but the mark may be left of the registration. `distribution`: the fixture set of
    the new plug-in; `read_only`: the distribution's files, the launcher started from it
    included, are read-only; `job`: XP's task file of an earlier registration exists."""
    name: str
    args: str
    boxes: list
    exit_code: int
    steps: tuple = (AFTER_RESTART,)
    prefix: str = "win64"
    schtasks_exits: tuple = ()
    distribution: str = "plugin-2.0.0"
    read_only: bool = False
    job: bool = False

    def run(self, layout, prefixes):
        with Session(layout, prefixes, self.name, kind=self.prefix) as session:
            package = "zirelcom-x64.msi" if self.prefix == "win64" else "zirelcom-win32.msi"
            fixtures.install_beforehand(session, "plugin-1.0.0-reboot-remove", package)
            fixtures.put_distribution(session, {"plugin": self.distribution})
            stand_ins.replace(session, "schtasks.exe", *self.schtasks_exits)
            exe = None
            if self.read_only:
                exe = os.path.join(session.workdir, COPY)
                shutil.copy(session.layout.launcher_exe, exe)
                for root, _, names in os.walk(session.workdir):
                    for name in names:
                        os.chmod(os.path.join(root, name), 0o444)
            if self.job:
                with open(_host(session, rf"C:\windows\tasks\{TASK}.job"), "wb") as job:
                    job.write(b"\0" * 64)
            registration = self._first_launch(session, package, exe)
            if registration is None:
                return
            product, restarted = NOT_INSTALLED, False
            for number, step in enumerate(self.steps, 2):
                restarted = restarted or step.restart
                product = self._step(session, registration, number, step, product, package,
                                     None if restarted else PLUGIN_FILES)

    def _first_launch(self, session, package, exe):
        report = session.launch(self.args, answers=checks.box_answers(self.boxes), exe=exe)
        check = checks.Checker(report)
        checks.expect_ran(check, self.exit_code)
        checks.expect_boxes(check, self.boxes)
        _expect_children(check, report, 1)
        fixtures.expect_product(check, session, fixtures.PLUGIN_CODE, NOT_INSTALLED)
        lines = _log(check, session, 1)
        check.equal("volatile mark", _mark(session), PLUGIN_FILES)
        removal = [r"plug-in files: 2 of C:\\windows\\Installer\\.*\.msi",
                   "restart mark: set, 2 files"]
        if self.schtasks_exits[:1] not in ((), (0,)):
            expect_lines(check, session, [*removal, "resume: not registered: .*",
                                          "exit code " + str(self.exit_code)], lines=lines)
            check.equal("resume folders", resume_folders(session), [])
            check.equal("schtasks /create runs", len(_schtasks(session)), 1)
            check.done()
            return None
        folders = resume_folders(session)
        check.true(f"one resume folder named {TASK}-<8 hex digits>: {folders}",
                   len(folders) == 1 and re.fullmatch(TASK + "-[0-9a-f]{8}", folders[0]))
        check.done()
        folder = _program_files(session) + "\\" + folders[0]
        copy = folder + "\\" + COPY
        expect_lines(check, session, [*removal, re.escape(f"resume: registered task {TASK}, "
                                                          f"folder {folder}"),
                                      "exit code " + str(self.exit_code)], lines=lines)
        xp = self.prefix.startswith("xp")
        # The package and its cabinet (data-x64.cab), nothing else of the distribution.
        distributed = {"plugin\\" + name: os.path.join(session.workdir, "plugin", name)
                       for name in os.listdir(os.path.join(session.workdir, "plugin"))
                       if name in (package, "data" + package[8:-4] + ".cab")}
        check.equal("files of the resume folder", _files(session, folder),
                    sorted([*distributed, "resume.txt", COPY] +
                           ([] if xp else ["resume-task.xml"])))
        for name, source in ((COPY, session.layout.launcher_exe), *distributed.items()):
            copied = _host(session, folder + "\\" + name)
            with open(source, "rb") as original:
                check.true(f"{name} in the resume folder is a copy", os.path.exists(copied) and
                           open(copied, "rb").read() == original.read())
        check.equal("read-only files in the resume folder (no write bit: Wine's read-only)",
                    [name for name in _files(session, folder)
                     if not os.stat(_host(session, folder + "\\" + name)).st_mode & 0o222], [])
        with open(_host(session, folder + r"\resume.txt"), "rb") as source:
            data = source.read()
        check.true("resume.txt in UTF-16LE with a byte-order mark", data.startswith(b"\xff\xfe"))
        registration = data[2:].decode("utf-16-le").split("\r\n")[0]
        if xp:
            # No /f on XP: an existing task (its file tells) is changed, else one is created.
            create = (f'schtasks /change /tn {TASK} /ru SYSTEM' if self.job else
                      f'schtasks /create /tn {TASK} /sc onstart /ru SYSTEM')
            check.equal("schtasks runs", _schtasks(session), [f'{create} /tr "\\"{copy}\\""'])
            command, workdir = copy, r"C:\windows\system32"
        else:
            create = (f'schtasks /create /tn {TASK} /xml "{folder}\\resume-task.xml" '
                      f'/ru SYSTEM /f')
            check.equal("schtasks runs", _schtasks(session), [create])
            command, workdir = _expect_task_xml(check, stand_ins.last_xml(session), copy, folder)
        check.done()
        return registration, folder, command, workdir

    def _step(self, session, registration, number, step, product, package, mark):
        identifier, folder, command, workdir = registration
        files_before = _files(session, folder)
        runs_before = len(stand_ins.runs(session))
        if step.restart:
            session.prefix.stop_server()
            session.prefix.start_server()
        if step.meanwhile:
            fixtures.install_beforehand(session, step.meanwhile, package)
            product = installed(step.meanwhile.split("-")[1], package)
        if step.pending:
            _write_pending(session, step.pending)
        if step.run is None:
            check = checks.Checker(None, f"restart {number}: ")
            check.equal("resume folders", resume_folders(session), [])
            check.equal("removals at the next restart", _pending_removals(session), [])
            check.equal("volatile mark", _mark(session), mark)
            check.done()
            return product
        if step.run == "task":
            shutil.rmtree(os.path.join(session.workdir, "plugin"), ignore_errors=True)
            report = session.launch("", exe=command, cwd=workdir)
        else:
            report = session.launch(step.args)
        check = checks.Checker(report, f"run {number}: ")
        checks.expect_ran(check, step.exit_code)
        checks.expect_boxes(check, [])
        _expect_children(check, report, int(step.installs))
        if step.installs:
            from_task = step.run == "task" and "ADDLOCAL=Core" in self.args
            product = installed("2.0.0", package, vivazed="2" if from_task else "3")
        fixtures.expect_product(check, session, fixtures.PLUGIN_CODE, product)
        lines = _log(check, session, number)
        expected = [line.replace("{folder}", re.escape(folder)) for line in step.log]
        if step.run == "task":
            waits = [] if mark is None else [
                "resumed run: no restart since the registration.*"]
            expected = [re.escape(f"resumed run: registration {identifier}, folder {folder}"),
                        *waits, *expected]
        expect_lines(check, session, [*expected, f"exit code {step.exit_code}"], lines=lines)
        check.equal("schtasks runs", _schtasks(session)[runs_before:],
                    list(step.schtasks) if step.schtasks is not None else
                    [DELETE] if step.finishes else [])
        left = _files(session, folder)
        if not step.finishes:
            check.equal("files of the resume folder", left, files_before)
        elif step.run == "task" and resume_folders(session):
            # The running copy and its folder may have to wait for the next restart.
            check.true(f"only the running copy left: {left}", left in ([], [COPY]))
            check.equal("removals at the next restart, files before their folder",
                        _pending_removals(session), [folder + "\\" + f for f in left] + [folder])
        else:
            check.equal("resume folders", resume_folders(session), [])
        check.equal("volatile mark", _mark(session), mark)
        check.done()
        return product


def _log(check, session, number):
    """The run's log lines, none of which may hold the licence key."""
    lines = take_lines(check, session, number)
    check.equal(f"run log lines holding {SECRET}", [x for x in lines if SECRET in x], [])
    return lines


def _program_files(session):
    return r"C:\Program Files (x86)" if session.kind == "win64" else r"C:\Program Files"


def _host(session, path):
    """The host path of a path on drive C: of the scenario's prefix."""
    return os.path.join(session.prefix.path, "drive_c", *path[3:].split("\\"))


def _files(session, folder):
    """The files under `folder` (relative, with backslashes), sorted; [] when it is gone."""
    top = _host(session, folder)
    return sorted(os.path.relpath(os.path.join(root, name), top).replace("/", "\\")
                  for root, _, names in os.walk(top) for name in names)


def _schtasks(session):
    """Command lines of the recorder's runs, each checked to be the system's schtasks.exe."""
    return [line if program.lower() == SCHTASKS.lower() else f"{line} (run from {program})"
            for line, _, program in stand_ins.runs(session)]


def _mark(session):
    """The files in the volatile mark, in the 32-bit registry view, sorted; None when there is
    no mark."""
    key = r"HKLM\SOFTWARE\Wow6432Node" if session.kind == "win64" else r"HKLM\SOFTWARE"
    status, output = run_windows_program(session, ["reg", "query", key + "\\" + TASK])
    if status != 0:
        return None
    found = re.search(r"^ +Files +REG_MULTI_SZ +(.*?)\r?$", output, re.M)
    return sorted(found.group(1).split("\\0")) if found else "no Files value: " + output


def _write_pending(session, pairs):
    """Writes PendingFileRenameOperations as MoveFileExW would have: each pair's source and
    target, an empty target for a deletion. reg add drops empty strings of a REG_MULTI_SZ, so
    the value goes in through regedit, from a UTF-16 file with the data as hex(7)."""
    data = "".join(name + "\0" for pair in pairs for name in pair) + "\0"
    text = ("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\"
            "CurrentControlSet\\Control\\Session Manager]\r\n\"PendingFileRenameOperations\""
            "=hex(7):" + ",".join(f"{b:02x}" for b in data.encode("utf-16-le")) + "\r\n")
    with open(_host(session, r"C:\zirel-pending.reg"), "wb") as out:
        out.write(b"\xff\xfe" + text.encode("utf-16-le"))
    run_windows_program(session, ["regedit", "/s", r"C:\zirel-pending.reg"])
    # regedit ends with 0 whatever happened: the value read back tells.
    expected = [source.replace("\\??\\", "", 1) + (f" -> {target}" if target else "")
                for source, target in pairs]
    if _pending_removals(session) != expected:
        raise RuntimeError(f"PendingFileRenameOperations reads {_pending_removals(session)}")


def _pending_removals(session):
    """The paths that Windows deletes when it next starts, in order (renames shown as such)."""
    _, output = run_windows_program(session, [
        "reg", "query", r"HKLM\System\CurrentControlSet\Control\Session Manager",
        "/v", "PendingFileRenameOperations"])
    found = re.search(r"REG_MULTI_SZ\s+(.*)", output)
    names = found.group(1).rstrip().split("\\0") if found else []
    return [source.replace("\\??\\", "", 1) + (f" -> {target}" if target else "")
            for source, target in zip(names[::2], names[1::2])]


def _expect_children(check, report, msiexec_runs):
    check.equal("child processes (schtasks left aside: see its runs)",
                [p.get("exe", "").lower() for p in report.processes
                 if p.get("exe", "").lower() not in _QUICK], ["msiexec.exe"] * msiexec_runs)


def _expect_task_xml(check, data, copy, folder):
    """The task definition given to schtasks (its every element is a unit test's): UTF-16LE
    with a byte-order mark, the copy started in its folder, no licence key. Returns (command,
    working folder)."""
    if not check.true("a task file in UTF-16LE with a byte-order mark, no licence key in it",
                      data and data[:2] == b"\xff\xfe" and SECRET not in data.decode("utf-16")):
        return copy, folder
    values = {element.tag.split("}")[-1]: element.text
              for element in ElementTree.fromstring(data).iter()}
    check.equal("task command", (values.get("Command"), values.get("WorkingDirectory"),
                                 values.get("Arguments")), (copy, folder, None))
    check.equal("task description", values.get("Description"),
                f"Vestacor Signavel: installs the new plug-in after the restart from {folder}, "
                f"then deletes this task")
    return values.get("Command") or copy, values.get("WorkingDirectory") or folder


_SILENT = f'-NoRestart -silent -ZirelArgs "PIDKEY={SECRET} ADDLOCAL=Core"'

_LEFTOVER = "resume: leftover folder {folder} removed"
_CANCEL = Step("launcher", restart=False, installs=False, finishes=True, args="-cancelresume",
               schtasks=(QUERY, DELETE), log=(f"cancel resume: task {TASK} deleted",
                                              "cancel resume: folder {folder} removed",
                                              "cancel resume: the restart mark stays"))

CASES = [
    # A deployment system's run: the task installs the plug-in with the saved arguments.
    ResumeCase("resume_silent_upgrade_finished_by_the_task", _SILENT, [], 3010),
    # -norestart changes nothing for a person at the screen: the restart is still asked for.
    ResumeCase("resume_restart_declined_32_bit_windows", "-norestart",
               [QUESTION_YES, RESTART_BEFORE_INSTALL_NO], 0, prefix="win32"),
    ResumeCase("resume_xp_startup_task", _SILENT, [], 3010, prefix="xp_sp2"),
    # XP's /create has no /f: a task of an earlier registration is changed instead.
    ResumeCase("resume_xp_earlier_task_changed", _SILENT, [], 3010, steps=(), prefix="xp_sp2",
               job=True),
    ResumeCase("resume_registration_refused_leaves_nothing_but_the_mark", _SILENT, [], 3010,
               steps=(), schtasks_exits=(1,)),
    # Run again before the restart (a deployment system retries): a file of the removed
    # plug-in is to be deleted at the restart, which would take it from a new installation.
    ResumeCase("resume_second_run_before_the_restart_leaves_the_package_for_then", _SILENT, [],
               3010, steps=(
                   Step("launcher", restart=False, installs=False, finishes=False,
                        exit_code=3010, args="-silent -norestart",
                        pending=(RBF, ("\\??\\" + PLUGIN_FILES[1], "")),
                        log=(re.escape("pending at restart: delete " + PLUGIN_FILES[1]),
                             "plug-in: a file of the removed plug-in goes at the restart; "
                             "the new package is left for then")),
                   AFTER_RESTART)),
    # Only what the Windows Installer moved aside goes at the restart: installed at once.
    ResumeCase("resume_second_run_before_the_restart_installs", _SILENT, [], 3010, steps=(
        Step("launcher", restart=False, installs=True, finishes=True,
             args="-silent -norestart", pending=(RBF,),
             log=("plug-in: no file of the removed plug-in is pending at the restart",
                  _LEFTOVER)),)),
    # A plug-in installed after the restart, before the task, is left as it is, even an
    # older one.
    ResumeCase("resume_task_leaves_a_plugin_installed_meanwhile", _SILENT, [], 3010, steps=(
        Step("task", restart=True, installs=False, finishes=True, meanwhile="plugin-1.0.0",
             log=(r"resumed run: the plug-in is installed already \(state 5, version 1\.0\.0\): "
                  r"left alone",)),)),
    # The task never ran (expired, blocked): the next run's first installation removes it.
    ResumeCase("resume_task_removed_by_a_first_installation", _SILENT, [], 3010, steps=(
        Step("launcher", restart=True, installs=True, finishes=True, log=(_LEFTOVER,)),)),
    # So does a run that finds the plug-in up to date.
    ResumeCase("resume_leftover_removed_by_a_later_launcher_run", _SILENT, [], 3010, steps=(
        Step("launcher", restart=True, installs=False, finishes=True, meanwhile="plugin-2.0.0",
             log=(_LEFTOVER,)),)),
    # Started before any restart (by hand, or Windows started the task early): nothing
    # changes, the task waits for the restart.
    ResumeCase("resume_task_before_the_restart_waits", _SILENT, [], 3010, steps=(
        Step("task", restart=False, installs=False, finishes=False), AFTER_RESTART)),
    # A distribution on read-only media, the package's cabinet beside it: the copies are
    # writable, and nothing is left after the next restart.
    ResumeCase("resume_from_read_only_media", _SILENT, [], 3010,
               distribution="plugin-2.0.0-external-cab", read_only=True,
               steps=(AFTER_RESTART, SETTLED)),
    # The administrator cancels the resume; a second cancel finds nothing registered.
    ResumeCase("resume_cancelled", _SILENT, [], 3010, schtasks_exits=(0, 0, 0, 1), steps=(
        _CANCEL, SETTLED,
        Step("launcher", restart=False, installs=False, finishes=False, args="-cancelresume",
             schtasks=(QUERY,), log=("cancel resume: no task registered",)))),
]
