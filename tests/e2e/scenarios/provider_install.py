"""The provider installation through the launcher, with real msiexec, regedit and regini: the
CSP installed fresh, upgraded in place, refused when too old, taken over from its second
product code, or failing; the ZAZ CSP with its registry, ACL and root-certificate set-up."""

import os
import re
import shutil
from dataclasses import dataclass, field
from typing import Optional

from harness import checks, texts, wine
from harness.checks import Box
from harness.run_log import expect_lines as _expect_log
from harness.run_log import launcher_pid as _launcher_pid
from harness.run_log import read_lines as _run_log
from harness.session import Session

from . import installer_fixtures as fixtures
from . import stand_ins
from .installer_operations import run_windows_program

PLUGIN_CODE = fixtures.PLUGIN_CODE
CSP_CODE = "{6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841}"
CSP_SECOND_CODE = "{9A04C6E3-58D1-4B7F-8E26-C13F0A9B5D72}"
ZAZ_CODE = "{3D7E90B5-A241-4C6E-9F08-57B2E1C4A396}"

ROOT_CERTIFICATES = r"HKLM\Software\Microsoft\SystemCertificates\Root\Certificates"
ZAZ_KEY = r"HKLM\Software\Vestacor\ZAZ"

_CAPTION = texts.STRINGS[texts.CAPTION]


def _question(string_id):
    return Box(_CAPTION, texts.STRINGS[string_id], "none", ("yes", "no"), "yes")


def _done(string_id):
    return Box(_CAPTION, texts.STRINGS[string_id], "none", ("ok",), "ok")


def _provider_failed(code):
    return Box(_CAPTION, f"{texts.STRINGS[105]}: {code}.", "error", ("ok",), "ok")


CSP_TOO_OLD = Box(texts.STRINGS[128], texts.STRINGS[130], "error", ("ok",), "ok")

NOT_INSTALLED = {"state": "-1", "version": "error 1605"}


def installed(version, package, language=None, releaseflags=None):
    expected = {"state": "5", "version": version, "packagename": package}
    if language is not None:
        expected["language"] = language
    if releaseflags is not None:
        expected["releaseflags"] = releaseflags
    return expected


PLUGIN_INSTALLED = installed("2.0.0", "zirelcom-x64.msi")
PLUGIN_INSTALLED_WIN32 = installed("2.0.0", "zirelcom-win32.msi")

# What ZAZ_x64_2.reg sets, as a 32-bit regedit writes it (the 32-bit view of HKLM\Software).
ZAZ_X64_VALUES = {
    ("", "Platform"): "x64",
    ("", "Description"): "Демонстрационная настройка ZAZ CSP",
    ("", "ReaderCount"): "dword:00000001",
    ("Readers\\Demo", "Name"): "Демо-считыватель",
}
ZAZ_X86_VALUES = {**ZAZ_X64_VALUES, ("", "Platform"): "x86"}


# --- Preparing and reading the prefix -------------------------------------------------------

def _put_zaz_files(session):
    """The registry, ACL and certificate files, in the launcher's own directory."""
    built = fixtures.fixtures_dir(session.layout)
    for folder in ("files", "certs"):
        source = os.path.join(built, folder)
        for name in os.listdir(source):
            if name != "thumbprints.txt":
                shutil.copy(os.path.join(source, name), session.workdir)


def _changed_zaz_files(session):
    """Registry, ACL and certificate files of the launcher's directory that differ from the
    fixtures they were copied from (a certificate file is opened for reading and writing)."""
    built = fixtures.fixtures_dir(session.layout)
    changed = []
    for folder in ("files", "certs"):
        for name in sorted(os.listdir(os.path.join(built, folder))):
            if name == "thumbprints.txt":
                continue
            with open(os.path.join(built, folder, name), "rb") as original, \
                    open(os.path.join(session.workdir, name), "rb") as copy:
                if original.read() != copy.read():
                    changed.append(name)
    return changed


def _fixture_thumbprints(layout):
    """Thumbprints (upper case) of every demo certificate of the certificate files."""
    path = os.path.join(fixtures.fixtures_dir(layout), "certs", "thumbprints.txt")
    with open(path, encoding="utf-8") as source:
        return {line.split()[1].upper() for line in source if line.strip()}


def _root_thumbprints(session):
    """Thumbprints (upper case) of the machine's Root store, read from the registry."""
    _, output = run_windows_program(session, ["reg", "query", ROOT_CERTIFICATES])
    prefix = ("HKEY_LOCAL_MACHINE" + ROOT_CERTIFICATES[4:] + "\\").lower()
    found = set()
    for line in output.splitlines():
        line = line.strip()
        if line.lower().startswith(prefix):
            found.add(line[len(prefix):].upper())
    return found


def _zaz_values(session):
    """{(subkey, value name): data} under the ZAZ key of the 32-bit registry view, with the
    data as reg export writes it (strings without their quotes)."""
    export = os.path.join(session.prefix.path, "drive_c", "zaz-export.reg")
    run_windows_program(session, ["reg", "export", ZAZ_KEY, "C:\\zaz-export.reg", "/reg:32",
                                  "/y"])
    if not os.path.exists(export):
        return {}
    with open(export, "rb") as source:
        text = source.read().decode("utf-16")
    values = {}
    subkey = None
    top = ("HKEY_LOCAL_MACHINE" + ZAZ_KEY[4:]).lower()
    for line in text.splitlines():
        if line.startswith("["):
            key = line.strip().strip("[]")
            inside = key.lower() == top or key.lower().startswith(top + "\\")
            subkey = key[len(top) + 1:] if inside else None
        elif subkey is not None and line.startswith('"') and "=" in line:
            name, _, data = line.partition("=")
            values[(subkey, name.strip('"'))] = data[1:-1] if data.startswith('"') else data
    return values


def _started_by_launcher(report):
    """Executable names of the processes the launcher itself started, in order. Their own
    children (Wine gives a console program a conhost.exe) are left out."""
    pids = {p.get("pid") for p in report.processes}
    return [p.get("exe", "").lower() for p in report.processes if p.get("parent") not in pids]


# Programs that may end before the driver sees them, or before it reads their name: regedit
# importing a small file, and regini (the command recorder in its place). That they ran shows
# in the registry values imported and in the recorder's log.
_QUICK_CHILDREN = ("", "regedit.exe", "regini.exe")


def _expect_children(check, started, expected):
    """The launcher started exactly the expected programs in this order, leaving aside those
    that the driver may miss."""
    check.equal("child processes (regedit and regini left aside)",
                [name for name in started if name not in _QUICK_CHILDREN],
                [name for name in expected if name not in _QUICK_CHILDREN])


# --- The scenario shape ---------------------------------------------------------------------

@dataclass
class ProviderCase:
    """One launch over a distribution of provider and plug-in packages.

    beforehand: packages installed with plain msiexec first, as (set, file);
    distribution: {subdirectory of the launcher's directory: fixture set};
    zaz_files: the registry, ACL and certificate files lie in the launcher's directory (and
    must be unchanged afterwards);
    children: the programs the launcher starts, in order;
    products: {product code: what the Windows Installer reports afterwards};
    zaz_set_up: these registry values, and the demo root certificates, are there afterwards;
    None: neither the ZAZ key nor any new root certificate may be;
    regini_exit: regini is replaced by the command recorder ending with this code; it must run
    once, with the ACL file of the platform, exactly when zaz_set_up is given; None: the
    prefix has no regini at all;
    prefix: the kind of golden prefix the scenario's prefix is copied from;
    log: patterns of lines of the run's log in their order ("{work}" stands for the launcher's
    directory); with zaz_set_up, a line for each root certificate added, with its thumbprint."""
    name: str
    beforehand: list
    distribution: dict
    args: str
    boxes: list
    exit_code: int
    children: list
    products: dict
    zaz_files: bool = False
    zaz_set_up: dict = None
    regini_exit: Optional[int] = 0
    prefix: str = "win64"
    env: dict = field(default_factory=dict)
    log: tuple = ()

    def run(self, layout, prefixes):
        with Session(layout, prefixes, self.name, kind=self.prefix, env=self.env) as session:
            for package_set, file_name in self.beforehand:
                fixtures.install_beforehand(session, package_set, file_name)
            fixtures.put_distribution(session, self.distribution)
            if self.zaz_files:
                _put_zaz_files(session)
            if self.regini_exit is None:
                stand_ins.remove(session, "regini.exe")
            else:
                stand_ins.replace(session, "regini.exe", self.regini_exit)
            # The first opening of the Root store copies the host's CA bundle in: done here,
            # so that what the launch adds is told apart.
            fixtures.probe(session, "root", "0" * 40)
            roots_before = _root_thumbprints(session)

            report = session.launch(self.args, answers=checks.box_answers(self.boxes))
            check = checks.Checker(report)
            checks.expect_ran(check, self.exit_code)
            checks.expect_boxes(check, self.boxes)
            checks.expect_no_dialog(check)
            _expect_children(check, _started_by_launcher(report), self.children)
            for code, expected in self.products.items():
                got = fixtures.product(session, code)
                for key, value in expected.items():
                    check.equal(f"product {code}: {key}", got.get(key), value)
            if self.zaz_files:
                check.equal("files of the launcher's directory changed",
                            _changed_zaz_files(session), [])
            self._expect_zaz_set_up(check, session, roots_before)
            if self.log:
                _expect_log(check, session, self.log, _launcher_pid(report))
                if self.zaz_set_up is not None:
                    added = {m.group(1) for m in (re.match(r"certificate added to Root: (\w+) ", line)
                                                  for line in _run_log(check, session)) if m}
                    check.equal("run log: thumbprints of the certificates added", added,
                                _fixture_thumbprints(session.layout))
            check.done()

    def _expect_zaz_set_up(self, check, session, roots_before):
        acl = "ZAZ_acl_x64.acl" if self.prefix == "win64" else "ZAZ_acl_x86.acl"
        runs = [] if self.zaz_set_up is None or self.regini_exit is None else [
            (f"regini {acl}", wine.windows_path(session.workdir))]
        check.equal("regini runs (command line, current directory)",
                    [run[:2] for run in stand_ins.runs(session)], runs)
        added = sorted(_root_thumbprints(session) - roots_before)
        values = _zaz_values(session)
        if self.zaz_set_up is None:
            check.equal("certificates added to the Root store", added, [])
            check.equal("ZAZ registry values", values, {})
        else:
            check.equal("certificates added to the Root store", added,
                        sorted(_fixture_thumbprints(session.layout)))
            check.equal("ZAZ registry values", values, self.zaz_set_up)


# --- The scenarios --------------------------------------------------------------------------

_PLUGIN = {"plugin": "plugin-2.0.0"}
_MSIEXEC = "msiexec.exe"
_IMPORTS = ["regedit.exe", "regini.exe"]

CASES = [
    # The level and language of the command line choose among the four configurations.
    ProviderCase(
        "provider_csp_fresh_level_and_language_from_the_command_line", [],
        {"csp": "csp-3.6.6000", **_PLUGIN}, "-csp -KC kc3 -Lang eng",
        [_question(102), _done(109)], 0, [_MSIEXEC, _MSIEXEC],
        {CSP_CODE: installed("3.6.6000", "csp-x64-kc3-eng.msi", "1033", "kc3,qxrmcsp"),
         PLUGIN_CODE: PLUGIN_INSTALLED}),
    ProviderCase(
        "provider_csp_fresh_russian_kc1_not_the_english_one_listed_first", [],
        {"csp": "csp-3.6.6000", **_PLUGIN}, "-csp -Lang rus -KC kc1",
        [_question(102), _done(109)], 0, [_MSIEXEC, _MSIEXEC],
        {CSP_CODE: installed("3.6.6000", "csp-x64-kc1-rus.msi", "1049", "kc1,qxcspi"),
         PLUGIN_CODE: PLUGIN_INSTALLED}),
    # Installed KC2 Russian 3.6.6000 (level from the feature name qxrmcsp): the upgrade's
    # pattern "csp*x64* kc2*rus*" holds a blank, so only the package named with a blank there
    # is taken, not the same configuration without the blank listed before it.
    ProviderCase(
        "provider_csp_upgraded_in_place_keeping_level_and_language",
        [("csp-3.6.6000", "csp-x64-kc2-rus.msi")],
        {"csp-a": "csp-3.6.7000", "csp-b": "csp-3.6.7000-blank", **_PLUGIN}, "-csp",
        [_question(102), _done(109)], 0, [_MSIEXEC, _MSIEXEC],
        {CSP_CODE: installed("3.6.7000", "csp-x64- kc2-rus.msi", "1049", "qxrmcsp,qxcspi"),
         PLUGIN_CODE: PLUGIN_INSTALLED}),
    ProviderCase(
        "provider_csp_too_old_for_an_upgrade_refused",
        [("csp-3.6.5000", "csp-x64-kc2-rus.msi")],
        {"csp": "csp-3.6.7000", **_PLUGIN}, "-csp",
        [_question(102), CSP_TOO_OLD, _provider_failed(6)], 6, [],
        {CSP_CODE: installed("3.6.5000", "csp-x64-kc2-rus.msi", "1049", "qxrmcsp,qxcspi"),
         PLUGIN_CODE: NOT_INSTALLED}),
    # Only the second code installed (KC3 English): its configuration chooses the package,
    # which installs under the CSP code without the upgrade properties.
    ProviderCase(
        "provider_csp_configuration_taken_over_from_the_second_code",
        [("csp-second-3.6.6000", "altcsp-x64-kc3-eng.msi")],
        {"csp-a": "csp-3.6.7000", "csp-b": "csp-3.6.7000-blank", **_PLUGIN}, "-csp",
        [_question(102), _done(109)], 0, [_MSIEXEC, _MSIEXEC],
        {CSP_CODE: installed("3.6.7000", "csp-x64- kc3-eng.msi", "1033", "kc3,qxrmcsp"),
         CSP_SECOND_CODE: installed("3.6.6000", "altcsp-x64-kc3-eng.msi"),
         PLUGIN_CODE: PLUGIN_INSTALLED}),
    ProviderCase(
        "provider_zaz_csp_fresh_with_registry_acl_and_root_certificates", [],
        {"ucsp": "ucsp-4.0.100", **_PLUGIN}, "-ucsp",
        [_question(122), _done(124)], 0, [_MSIEXEC, *_IMPORTS, _MSIEXEC],
        {ZAZ_CODE: installed("4.0.100", "ucsp-x64-rus.msi", "1049"),
         CSP_CODE: NOT_INSTALLED, PLUGIN_CODE: PLUGIN_INSTALLED},
        zaz_files=True, zaz_set_up=ZAZ_X64_VALUES),
    ProviderCase(
        "provider_csp_and_zaz_csp_fresh", [],
        {"csp": "csp-3.6.6000", "ucsp": "ucsp-4.0.100", **_PLUGIN}, "-csp -ucsp",
        [_question(125), _done(127)], 0, [_MSIEXEC, _MSIEXEC, *_IMPORTS, _MSIEXEC],
        {CSP_CODE: installed("3.6.6000", "csp-x64-kc1-eng.msi", "1033", "qxcspi"),
         ZAZ_CODE: installed("4.0.100", "ucsp-x64-rus.msi", "1049"),
         PLUGIN_CODE: PLUGIN_INSTALLED},
        zaz_files=True, zaz_set_up=ZAZ_X64_VALUES),
    # The CSP installation fails (1603): the ZAZ CSP stage runs all the same, the failure is
    # reported with its code, and the plug-in is not installed.
    ProviderCase(
        "provider_csp_failure_still_sets_up_the_zaz_csp", [],
        {"csp": "csp-3.6.6000-fail", "ucsp": "ucsp-4.0.100", **_PLUGIN}, "-csp -ucsp",
        [_question(125), _provider_failed(1603)], 1603, [_MSIEXEC, _MSIEXEC, *_IMPORTS],
        {CSP_CODE: NOT_INSTALLED, ZAZ_CODE: installed("4.0.100", "ucsp-x64-rus.msi", "1049"),
         PLUGIN_CODE: NOT_INSTALLED},
        zaz_files=True, zaz_set_up=ZAZ_X64_VALUES),
    # 32-bit Windows: the win32 packages and the x86 registry and ACL files.
    ProviderCase(
        "provider_zaz_csp_on_32_bit_windows_takes_the_x86_files", [],
        {"ucsp": "ucsp-4.0.100", **_PLUGIN}, "-ucsp",
        [_question(122), _done(124)], 0, [_MSIEXEC, *_IMPORTS, _MSIEXEC],
        {ZAZ_CODE: installed("4.0.100", "ucsp-win32-rus.msi", "1049"),
         PLUGIN_CODE: PLUGIN_INSTALLED_WIN32},
        zaz_files=True, zaz_set_up=ZAZ_X86_VALUES, prefix="win32"),
    # Installed Russian 4.0.100: the upgrade's pattern "ucsp*x64*rus*" passes over the English
    # packages listed first (whose version the comparison read) to the Russian one.
    ProviderCase(
        "provider_zaz_csp_upgraded_in_place_keeping_its_language",
        [("ucsp-4.0.100", "ucsp-x64-rus.msi")],
        {"ucsp-a": "ucsp-4.0.200-eng", "ucsp-b": "ucsp-4.0.200", **_PLUGIN}, "-ucsp",
        [_question(122), _done(124)], 0, [_MSIEXEC, *_IMPORTS, _MSIEXEC],
        {ZAZ_CODE: installed("4.0.200", "ucsp-x64-rus.msi", "1049"),
         PLUGIN_CODE: PLUGIN_INSTALLED},
        zaz_files=True, zaz_set_up=ZAZ_X64_VALUES),
    # Unattended: the refusal is not shown, nothing else either; the exit code tells it.
    ProviderCase(
        "provider_csp_too_old_silent_refused_without_a_box",
        [("csp-3.6.5000", "csp-x64-kc2-rus.msi")],
        {"csp": "csp-3.6.7000", **_PLUGIN}, "-silent -csp", [], 6, [],
        {CSP_CODE: installed("3.6.5000", "csp-x64-kc2-rus.msi"), PLUGIN_CODE: NOT_INSTALLED}),
    # The ACL import fails (5, access denied): the certificates are added all the same, and
    # the failure is reported with that code; the plug-in is not installed.
    ProviderCase(
        "provider_zaz_acl_import_failure_reported_after_the_certificates", [],
        {"ucsp": "ucsp-4.0.100", **_PLUGIN}, "-ucsp",
        [_question(122), _provider_failed(5)], 5, [_MSIEXEC, *_IMPORTS],
        {ZAZ_CODE: installed("4.0.100", "ucsp-x64-rus.msi", "1049"), PLUGIN_CODE: NOT_INSTALLED},
        zaz_files=True, zaz_set_up=ZAZ_X64_VALUES, regini_exit=5),
    # A failure beside a restart request is the result, whatever their bits: the CSP's 1603
    # (not 1603 | 3010 = 4035), a regini that cannot start (2, not 3010 | 2 = 3010).
    ProviderCase(
        "provider_csp_failure_beside_a_zaz_restart_is_the_result", [],
        {"csp": "csp-3.6.6000-fail", "ucsp": "ucsp-4.0.100-reboot-install", **_PLUGIN},
        "-csp -ucsp -silent -norestart", [], 1603, [_MSIEXEC, _MSIEXEC, *_IMPORTS],
        {CSP_CODE: NOT_INSTALLED, ZAZ_CODE: installed("4.0.100", "ucsp-x64-rus.msi", "1049"),
         PLUGIN_CODE: NOT_INSTALLED},
        zaz_files=True, zaz_set_up=ZAZ_X64_VALUES,
        log=(r"run: exit code 1603 after \d+ ms", r'run: msiexec .*ucsp-x64-rus\.msi.*',
             r"run: exit code 3010 after \d+ ms", r"exit code 1603")),
    ProviderCase(
        "provider_missing_regini_beside_a_zaz_restart_is_the_result", [],
        {"ucsp": "ucsp-4.0.100-reboot-install", **_PLUGIN}, "-ucsp -silent -norestart", [], 2,
        [_MSIEXEC, "regedit.exe"],
        {ZAZ_CODE: installed("4.0.100", "ucsp-x64-rus.msi", "1049"), PLUGIN_CODE: NOT_INSTALLED},
        zaz_files=True, zaz_set_up=ZAZ_X64_VALUES, regini_exit=None,
        log=(r"run: exit code 3010 after \d+ ms", r'run: "regini" is in neither the system .*',
             r"exit code 2")),
    # Unattended with both providers, the CSP failing: no box, and the run's log tells which
    # package each step took, the command that ran it and what came back.
    ProviderCase(
        "provider_csp_failure_silent_told_by_the_run_log", [],
        {"csp": "csp-3.6.6000-fail", "ucsp": "ucsp-4.0.100", **_PLUGIN}, "-csp -ucsp -silent",
        [], 1603, [_MSIEXEC, _MSIEXEC, *_IMPORTS],
        {CSP_CODE: NOT_INSTALLED, ZAZ_CODE: installed("4.0.100", "ucsp-x64-rus.msi", "1049"),
         PLUGIN_CODE: NOT_INSTALLED},
        zaz_files=True, zaz_set_up=ZAZ_X64_VALUES,
        log=(r"zirelpluginsetup \d+\.\d+\.\d+",
             r'command line: "-csp -ucsp -silent"',
             # GetVersionExW's answer, then ntdll's RtlGetVersion with the build (Wine's
             # default prefix is Windows 7 SP1).
             r"Windows version: 6\.1, service pack 1",
             r"Windows version \(RtlGetVersion\): 6\.1, build 7601",
             r'package for "csp\*x64\* ": {work}\\csp\\csp-x64-kc1-eng\.msi',
             r'run: msiexec /qn /i "{work}\\csp\\csp-x64-kc1-eng\.msi"  REBOOT=R',
             r"run: exit code 1603 after \d+ ms",
             r'package for "ucsp\*x64\*": {work}\\ucsp\\ucsp-x64-rus\.msi',
             r'run: msiexec /qn /i "{work}\\ucsp\\ucsp-x64-rus\.msi"  REBOOT=R',
             r"run: exit code 0 after \d+ ms",
             r"run: regedit /s ZAZ_x64_2\.reg",
             r"run: exit code 0 after \d+ ms",
             r"run: regini ZAZ_acl_x64\.acl",
             r"run: exit code 0 after \d+ ms",
             r"certificate file {work}\\not-a-certificate\.cer skipped: not a certificate file, "
             r"error 0x80092009",
             r"exit code 1603")),
]
