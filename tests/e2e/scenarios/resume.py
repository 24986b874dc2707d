"""Finishing a plug-in upgrade after the restart. When the removal of the older plug-in ends
with 3010, the launcher leaves a copy of itself and the new package in a folder of its own
under the 32-bit Program Files and registers a one-time startup task through schtasks.exe.
Wine's Task Scheduler never starts a task, so schtasks.exe is the command recorder here, and
a scenario does what Windows would: it restarts (the prefix's server ends, which drops the
volatile registry mark) and starts the registered command in the task's working folder (on
XP, which has none, in the system folder)."""

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
COPY = "zirelpluginsetup.exe"
# Programs the driver may or may not catch: the recorder and Wine's console host.
_QUICK = ("", "schtasks.exe", "conhost.exe")


# One run after the registration: `run` is "task" (the registered command, no arguments) or
# "launcher" (the distribution's, -silent); `restart`: Windows restarts first; `installs`: it
# runs msiexec once, installing the plug-in; `finishes`: it deletes the task and the folder's
# files (the running copy and the folder may wait for the next restart).
Step = namedtuple("Step", "run restart installs finishes")

AFTER_RESTART = Step("task", restart=True, installs=True, finishes=True)


@dataclass
class ResumeCase:
    """plugin-1.0.0-reboot-remove installed, plugin-2.0.0 in the distribution: the first launch
    (`args`, `boxes`, `exit_code`) removes the old plug-in, leaves the new one uninstalled and
    registers the task; then the `steps`, each checked in turn. `schtasks_exits`: what the
    runs of schtasks.exe end with, in turn (0 by default); when its last /create fails, nothing
    may be left of the registration."""
    name: str
    args: str
    boxes: list
    exit_code: int
    steps: tuple = (AFTER_RESTART,)
    prefix: str = "win64"
    schtasks_exits: tuple = ()

    def run(self, layout, prefixes):
        with Session(layout, prefixes, self.name, kind=self.prefix) as session:
            package = "zirelcom-x64.msi" if self.prefix == "win64" else "zirelcom-win32.msi"
            fixtures.install_beforehand(session, "plugin-1.0.0-reboot-remove", package)
            fixtures.put_distribution(session, {"plugin": "plugin-2.0.0"})
            stand_ins.replace(session, "schtasks.exe", *self.schtasks_exits)
            registration = self._first_launch(session, package)
            if registration is None:
                return
            product, restarted = NOT_INSTALLED, False
            for number, step in enumerate(self.steps, 2):
                restarted = restarted or step.restart
                product = self._step(session, registration, number, step, product, package,
                                     None if restarted else registration[0])

    def _first_launch(self, session, package):
        report = session.launch(self.args, answers=checks.box_answers(self.boxes))
        check = checks.Checker(report)
        checks.expect_ran(check, self.exit_code)
        checks.expect_boxes(check, self.boxes)
        _expect_children(check, report, 1)
        fixtures.expect_product(check, session, fixtures.PLUGIN_CODE, NOT_INSTALLED)
        lines = _log(check, session, 1)
        if self.schtasks_exits[-1:] not in ((), (0,)):
            expect_lines(check, session, ["resume: not registered: .*",
                                          "exit code " + str(self.exit_code)], lines=lines)
            check.equal("resume folders", resume_folders(session), [])
            check.equal("volatile mark", _mark(session), None)
            check.equal("schtasks /create runs", len(_schtasks(session)), 1)
            check.done()
            return None
        folders = resume_folders(session)
        check.true(f"one resume folder named {TASK}-<8 hex digits>: {folders}",
                   len(folders) == 1 and re.fullmatch(TASK + "-[0-9a-f]{8}", folders[0]))
        check.done()
        folder = _program_files(session) + "\\" + folders[0]
        copy = folder + "\\" + COPY
        expect_lines(check, session, [re.escape(f"resume: registered task {TASK}, folder {folder}"),
                                      "exit code " + str(self.exit_code)], lines=lines)
        xp = self.prefix.startswith("xp")
        check.equal("files of the resume folder", _files(session, folder),
                    sorted(["plugin\\" + package, "resume.txt", COPY] +
                           ([] if xp else ["resume-task.xml"])))
        distributed = os.path.join(session.workdir, "plugin", package)
        for name, source in ((COPY, session.layout.launcher_exe),
                             ("plugin\\" + package, distributed)):
            with open(_host(session, folder + "\\" + name), "rb") as a, open(source, "rb") as b:
                check.true(f"{name} in the resume folder is a copy", a.read() == b.read())
        with open(_host(session, folder + r"\resume.txt"), "rb") as source:
            data = source.read()
        check.true("resume.txt in UTF-16LE with a byte-order mark", data.startswith(b"\xff\xfe"))
        registration = data[2:].decode("utf-16-le").split("\r\n")[0]
        check.equal("volatile mark", _mark(session), registration)
        if xp:
            create = (f'schtasks /create /tn {TASK} /sc onstart /ru SYSTEM /tr "\\"{copy}\\""')
            check.equal("schtasks runs", _schtasks(session), [DELETE, create])
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
        if step.run == "task":
            shutil.rmtree(os.path.join(session.workdir, "plugin"), ignore_errors=True)
            report = session.launch("", exe=command, cwd=workdir)
        else:
            report = session.launch("-silent")
        check = checks.Checker(report, f"run {number}: ")
        checks.expect_ran(check, 0)
        checks.expect_boxes(check, [])
        _expect_children(check, report, int(step.installs))
        if step.installs:
            from_task = step.run == "task" and "ADDLOCAL=Core" in self.args
            product = installed("2.0.0", package, vivazed="2" if from_task else "3")
        fixtures.expect_product(check, session, fixtures.PLUGIN_CODE, product)
        lines = _log(check, session, number)
        if step.run == "task":
            waits = [] if mark is None else [
                "resumed run: no restart since the registration.*"]
            expect_lines(check, session, [
                re.escape(f"resumed run: registration {identifier}, folder {folder}"), *waits,
                "exit code 0"], lines=lines)
        check.equal("schtasks runs", _schtasks(session)[runs_before:],
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
    """The id in the volatile mark, in the 32-bit registry view; None when there is none."""
    key = r"HKLM\SOFTWARE\Wow6432Node" if session.kind == "win64" else r"HKLM\SOFTWARE"
    status, output = run_windows_program(session, ["reg", "query", key + "\\" + TASK,
                                                    "/v", "Registration"])
    found = re.search(r"Registration\s+REG_SZ\s+(\S+)", output)
    return found.group(1) if status == 0 and found else None


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
    return values.get("Command") or copy, values.get("WorkingDirectory") or folder


_SILENT = f'-NoRestart -silent -ZirelArgs "PIDKEY={SECRET} ADDLOCAL=Core"'

CASES = [
    # A deployment system's run: the task installs the plug-in with the saved arguments.
    ResumeCase("resume_silent_upgrade_finished_by_the_task", _SILENT, [], 3010),
    # -norestart changes nothing for a person at the screen: the restart is still asked for.
    ResumeCase("resume_restart_declined_32_bit_windows", "-norestart",
               [QUESTION_YES, RESTART_BEFORE_INSTALL_NO], 0, prefix="win32"),
    # XP's /create has no /f: the task is deleted first, which fails when there is none.
    ResumeCase("resume_xp_startup_task", _SILENT, [], 3010, prefix="xp_sp2",
               schtasks_exits=(1, 0)),
    ResumeCase("resume_registration_refused_leaves_nothing", _SILENT, [], 3010, steps=(),
               schtasks_exits=(1,)),
    # Somebody runs the launcher after the restart, before the task: it installs the plug-in
    # and leaves the task, which then has nothing to install but still removes itself.
    ResumeCase("resume_task_after_the_launcher_installed", _SILENT, [], 3010, steps=(
        Step("launcher", restart=True, installs=True, finishes=False),
        Step("task", restart=False, installs=False, finishes=True))),
    # A later run that finds the plug-in up to date removes the leftover task and copy.
    ResumeCase("resume_leftover_removed_by_a_later_launcher_run", _SILENT, [], 3010, steps=(
        Step("launcher", restart=True, installs=True, finishes=False),
        Step("launcher", restart=False, installs=False, finishes=True))),
    # Started before any restart (by hand, or Windows started the task early): nothing
    # changes, the task waits for the restart.
    ResumeCase("resume_task_before_the_restart_waits", _SILENT, [], 3010, steps=(
        Step("task", restart=False, installs=False, finishes=False), AFTER_RESTART)),
]
