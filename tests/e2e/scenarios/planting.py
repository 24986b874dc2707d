"""DLLs and programs planted under system names in the folder the launcher is started from.

The launcher runs elevated out of a distribution folder that others can write to. A DLL that
Windows does not count among its known DLLs is looked for next to the program first, and Wine
does the same for a DLL whose load order prefers the native one (WINEDLLOVERRIDES "n,b"). The
traces are build/windows/planting_marker.dll (it creates "<its path>.loaded" and refuses to
load) and planting_marker.exe (it creates "<its path>.ran" and ends with 77).

version.dll is left out: Wine's user32 imports it, so Wine's loader takes it while it resolves
the import table, before the program runs (Windows' user32 is a known DLL and imports no such
DLL).
"""

import os
import re
import shutil
import subprocess

from harness import checks, processes, texts
from harness.checks import Box
from harness.report import Report

from .cases import CustomCase
from .installer_operations import run_windows_program

PLUGIN = "{B5290F4D-7E3A-46C1-8D95-0A6F2C8E13B7}"
ZAZ = "{3D7E90B5-A241-4C6E-9F08-57B2E1C4A396}"

PLANTED_DLLS = ("msi", "crypt32", "uxtheme", "comctl32", "cabinet", "wintrust", "dwmapi")
PLANTED_PROGRAMS = ("msiexec", "regedit", "regini")
BASE_OVERRIDES = "mscoree=;mshtml=;winemenubuilder.exe=d"
PLANTING_OVERRIDES = BASE_OVERRIDES + ";" + ",".join(PLANTED_DLLS) + "=n,b"

# Exit code of a start refused because of "<program>.local" (README, "Exit codes").
EXIT_DLL_REDIRECTION = 9
ERROR_MOD_NOT_FOUND = 126

CAPTION = texts.STRINGS[texts.CAPTION]


def redirection_text(name):
    return ("Рядом с программой установки найдено перенаправление системных библиотек: «"
            + name + "».\nУдалите этот файл или папку и запустите установку снова.")


def library_failure_text(library, code):
    return f"Не удалось загрузить системную библиотеку {library}: {code}."


def _build(session, name):
    return os.path.join(session.layout.build_dir, name)


def _make_distribution(session):
    """The demo distribution (plug-in 3.0.0, CSP, ZAZ CSP 4.0.200, registry, ACL and
    certificate files) in the session's work directory."""
    env = dict(os.environ, ZIREL_FIXTURES_DIR=_build(session, "fixtures"))
    log = os.path.join(session.logs, "make-demo.log")
    with open(log, "wb") as out:
        status = subprocess.run(
            [os.path.join(session.layout.source_dir, "scripts", "make-demo"), session.workdir],
            env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=out, timeout=600).returncode
    if status != 0:
        raise RuntimeError(f"make-demo failed with {status}, see {log}")


def _program_folder(session):
    """A folder of its own holding a copy of the launcher; returns (folder, launcher path)."""
    folder = os.path.join(session.root, "program")
    os.makedirs(folder)
    launcher = os.path.join(folder, "zirelpluginsetup.exe")
    shutil.copy(session.layout.launcher_exe, launcher)
    return folder, launcher


def _plant(session, program_folder):
    for name in PLANTED_DLLS:
        shutil.copy(_build(session, "planting_marker.dll"),
                    os.path.join(program_folder, name + ".dll"))
    for name in PLANTED_PROGRAMS:
        shutil.copy(_build(session, "planting_marker.exe"),
                    os.path.join(session.workdir, name + ".exe"))


def _traces(session, program_folder):
    """Every trace left so far, as paths relative to the session's root."""
    found = []
    for folder in (program_folder, session.workdir):
        for name in sorted(os.listdir(folder)):
            if name.lower().endswith((".loaded", ".ran")):
                found.append(os.path.relpath(os.path.join(folder, name), session.root))
    return found


def _remove_traces(session, program_folder):
    for relative in _traces(session, program_folder):
        os.remove(os.path.join(session.root, relative))


_probe_calls = 0


def _probe(session, *args, exe=None, cwd=None):
    """Runs msi_probe (by default the one of the build directory) in the session's prefix;
    returns (exit status, output without the final line feed)."""
    global _probe_calls
    _probe_calls += 1
    out_path = os.path.join(session.logs, f"probe-{_probe_calls}.txt")
    with open(out_path, "wb") as out:
        process = subprocess.Popen(["wine", exe or _build(session, "msi_probe.exe"), *args],
                                   env=session.prefix.env(), cwd=cwd, stdin=subprocess.DEVNULL,
                                   stdout=out, stderr=subprocess.DEVNULL, start_new_session=True)
        try:
            status = process.wait(timeout=120)
        except subprocess.TimeoutExpired:
            processes.kill_group(process)
            raise
    with open(out_path, encoding="utf-8", errors="replace") as source:
        return status, source.read().replace("\r\n", "\n").rstrip("\n")


def _expect_planting_works(session, program_folder):
    """The planted files are taken by a program that does not guard against them: msi_probe
    imports crypt32.dll and msi.dll (the loader stops at the first that refuses to load, so
    crypt32.dll is set aside for the second run), and starts "msiexec" by the system's search."""
    check = checks.Checker(Report({"events": []}, "(control runs)"))
    probe_copy = os.path.join(program_folder, "msi_probe.exe")
    shutil.copy(_build(session, "msi_probe.exe"), probe_copy)
    crypt32 = os.path.join(program_folder, "crypt32.dll")
    _probe(session, "state", PLUGIN, exe=probe_copy, cwd=session.workdir)
    os.rename(crypt32, crypt32 + ".aside")
    _probe(session, "state", PLUGIN, exe=probe_copy, cwd=session.workdir)
    os.rename(crypt32 + ".aside", crypt32)
    os.remove(probe_copy)
    _, started = _probe(session, "run", "msiexec", "/qn", "/x", PLUGIN, cwd=session.workdir)
    check.equal("exit code of the planted msiexec started by name", started, "77")
    check.equal("traces left by the unguarded programs",
                [trace.lower() for trace in _traces(session, program_folder)],
                ["program/crypt32.dll.loaded", "program/msi.dll.loaded", "work/msiexec.exe.ran"])
    check.done()
    _remove_traces(session, program_folder)


def _expect_children_among(check, report, allowed):
    """Every program that the launcher itself started (not their own children, such as the
    console host of regini) has one of the `allowed` names. Which ones ran is read from their
    effects: the driver may miss a child that ends quickly, or see it without its name."""
    pids = {p.get("pid") for p in report.processes}
    names = sorted({p.get("exe", "").lower() for p in report.processes
                    if p.get("parent") not in pids} - {""})
    check.equal("child programs other than " + ", ".join(allowed),
                [name for name in names if name not in allowed], [])


def _installed(session, product):
    return _probe(session, "state", product)[1]


def _planted_files(session):
    _make_distribution(session)
    program_folder, launcher = _program_folder(session)
    _plant(session, program_folder)
    _expect_planting_works(session, program_folder)

    # Interactive plug-in installation: question Yes, outcome box.
    report = session.launch("", answers=["yes", "ok"], exe=launcher, cwd=session.workdir)
    check = checks.Checker(report)
    checks.expect_ran(check, 0)
    checks.expect_boxes(check, [
        Box(CAPTION, texts.STRINGS[103], "none", ("yes", "no"), "yes"),
        Box(CAPTION, texts.STRINGS[110], "none", ("ok",), "ok"),
    ])
    _expect_children_among(check, report, ["msiexec.exe"])
    check.equal("traces after the plug-in run", _traces(session, program_folder), [])
    check.equal("plug-in state", _installed(session, PLUGIN), "5")
    check.equal("plug-in version", _probe(session, "version", PLUGIN)[1], "3.0.0")
    check.done()

    # Unattended ZAZ CSP run: package, registry and ACL imports (regedit, regini) and the
    # root certificates; the plug-in is current already.
    report = session.launch("-ucsp -silent", exe=launcher, cwd=session.workdir)
    check = checks.Checker(report)
    checks.expect_ran(check, 0)
    checks.expect_boxes(check, [])
    _expect_children_among(check, report, ["msiexec.exe", "regedit.exe", "regini.exe"])
    check.equal("traces after the ZAZ CSP run", _traces(session, program_folder), [])
    check.equal("ZAZ CSP state", _installed(session, ZAZ), "5")
    # regedit imported ZAZ_x64_2.reg (a 32-bit regedit writes the 32-bit view).
    _, values = run_windows_program(
        session, ["reg", "query", r"HKLM\Software\Vestacor\ZAZ", "/v", "Platform", "/reg:32"])
    check.true("the registry file was imported (Platform = x64):\n" + values,
               re.search(r"Platform\s+REG_SZ\s+x64", values) is not None)
    with open(os.path.join(session.workdir, "thumbprints.txt"), encoding="utf-8") as source:
        thumbprints = [line.split()[1] for line in source if line.strip()]
    for thumbprint in thumbprints:
        check.equal(f"root certificate {thumbprint}", _probe(session, "root", thumbprint)[1],
                    "present")
    check.done()


def _redirection(session):
    """"<program>.local" next to the launcher: refused before anything is installed, as a
    folder with the box, as a file silently."""
    _make_distribution(session)
    program_folder, launcher = _program_folder(session)
    redirection = launcher + ".local"
    os.makedirs(os.path.join(redirection, "x86_microsoft.windows.common-controls"))

    report = session.launch("", answers=["ok"], exe=launcher, cwd=session.workdir)
    check = checks.Checker(report)
    checks.expect_ran(check, EXIT_DLL_REDIRECTION)
    checks.expect_boxes(check, [Box(CAPTION, redirection_text("zirelpluginsetup.exe.local"),
                                    "error", ("ok",), "ok")])
    checks.expect_no_dialog(check)
    checks.expect_no_visible_window(check)
    checks.expect_no_child_process(check)
    check.done()

    shutil.rmtree(redirection)
    with open(redirection, "w", encoding="ascii") as out:
        out.write("redirection\n")
    report = session.launch("-ucsp -silent", exe=launcher, cwd=session.workdir)
    check = checks.Checker(report)
    checks.expect_ran(check, EXIT_DLL_REDIRECTION)
    checks.expect_boxes(check, [])
    checks.expect_no_visible_window(check)
    checks.expect_no_child_process(check)
    check.equal("plug-in state", _installed(session, PLUGIN), "-1")
    check.equal("ZAZ CSP state", _installed(session, ZAZ), "-1")
    check.done()


def _missing_installer(session):
    """msi.dll cannot be loaded (disabled in Wine): the load error is the exit code."""
    report = session.launch("-csp", answers=["ok"])
    check = checks.Checker(report)
    checks.expect_ran(check, ERROR_MOD_NOT_FOUND)
    checks.expect_boxes(check, [
        Box(CAPTION, library_failure_text("msi.dll", ERROR_MOD_NOT_FOUND), "error", ("ok",),
            "ok")])
    checks.expect_no_visible_window(check)
    checks.expect_no_child_process(check)
    check.done()

    report = session.launch("-silent")
    check = checks.Checker(report)
    checks.expect_ran(check, ERROR_MOD_NOT_FOUND)
    checks.expect_boxes(check, [])
    checks.expect_no_child_process(check)
    check.done()


CASES = [
    CustomCase("planting_ignored_plugin_and_ucsp", _planted_files,
               env={"WINEDLLOVERRIDES": PLANTING_OVERRIDES}),
    CustomCase("planting_local_redirection_refused", _redirection),
    CustomCase("planting_missing_installer_library", _missing_installer,
               env={"WINEDLLOVERRIDES": BASE_OVERRIDES + ";msi=d"}),
]
