"""The distribution checker under Wine: the demo distribution checks clean and installs
nothing; the demo with one fault from the fixtures gives exactly that fault's findings and exit
code."""

import json
import os
import shutil
import subprocess

from harness import checks, wine

from . import installer_fixtures as fixtures
from .cases import CustomCase
from .installer_operations import run_windows_program

CSP_CODE = "{6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841}"
ZAZ_CODE = "{3D7E90B5-A241-4C6E-9F08-57B2E1C4A396}"
_PLATFORMS = (("32-bit Windows", "win32"), ("64-bit Windows", "x64"))


def _demo(session):
    """The distribution of scripts/make-demo, built in the scenario's directory."""
    dist = os.path.join(session.workdir, "dist")
    env = dict(os.environ, ZIREL_FIXTURES_DIR=fixtures.fixtures_dir(session.layout))
    subprocess.run([os.path.join(session.layout.source_dir, "scripts", "make-demo"), dist],
                   env=env, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   timeout=300)
    return dist


def _check(session, *args):
    exe = os.path.join(session.layout.build_dir, "zirelpluginsetup-check.exe")
    return run_windows_program(session, [exe, *args], timeout=120)


def _findings(report):
    """(section, path, severity, text) of every finding of a JSON report."""
    return sorted((section["title"], line["path"], finding["severity"], finding["text"])
                  for section in report["sections"] for line in section["lines"]
                  for finding in line["findings"])


def _demo_checks_clean(session):
    dist = _demo(session)
    check = checks.Checker(None)
    status, output = _check(session, wine.windows_path(dist))
    check.equal("exit code", status, 0)
    check.equal("last line", output.rstrip().splitlines()[-1], "0 errors, 0 warnings")
    # An upgrade keeping kc2 Russian on 64-bit Windows finds the package with the blank.
    check.true("the kc2 Russian upgrade line in:\n" + output,
               "  upgrade of an installed kc2* rus* CSP 3.6.5365 \u2192 csp\\csp-x64- kc2-rus.msi  ("
               in output)
    for code in (fixtures.PLUGIN_CODE, CSP_CODE, ZAZ_CODE):
        check.equal(f"state of {code} after the check", fixtures.product(session, code)["state"],
                    "-1")
    status, output = _check(session, "--json", wine.windows_path(dist))
    check.equal("exit code with --json", status, 0)
    report = json.loads(output)
    check.equal("JSON counts", (report["errors"], report["warnings"], report["exitCode"]),
                (0, 0, 0))
    check.equal("sections", [section["title"] for section in report["sections"]][:4],
                ["Plug-in, 32-bit Windows", "CSP, 32-bit Windows", "ZAZ CSP, 32-bit Windows",
                 "ZAZ CSP imports, 32-bit Windows"])
    status, _ = _check(session, wine.windows_path(os.path.join(dist, "missing")))
    check.equal("exit code for a missing folder", status, 3)
    status, _ = _check(session, "--unknown", wine.windows_path(dist))
    check.equal("exit code for an unknown option", status, 3)
    check.done()


def _broken(name, fault, exit_code, findings):
    """The demo with `fault(session, dist)` applied: exactly `findings`, and `exit_code`."""
    def body(session):
        dist = _demo(session)
        fault(session, dist)
        status, output = _check(session, "--json", wine.windows_path(dist))
        check = checks.Checker(None)
        check.equal("exit code", status, exit_code)
        try:
            actual = _findings(json.loads(output))
        except ValueError:
            actual = output
        check.equal("findings", actual, sorted(findings))
        check.done()
    return CustomCase(name, body)


def _fixture(session, *parts):
    return os.path.join(fixtures.fixtures_dir(session.layout), *parts)


def _csp_without_blank(session, dist):
    shutil.rmtree(os.path.join(dist, "csp"))
    shutil.copytree(_fixture(session, "packages", "csp-3.6.7000"), os.path.join(dist, "csp"))


def _copy_into(*source, to=""):
    def fault(session, dist):
        shutil.copy(_fixture(session, *source), os.path.join(dist, to))
    return fault


def _older_x64_plugin(session, dist):
    shutil.copy(_fixture(session, "packages", "plugin-1.0.0", "zirelcom-x64.msi"),
                os.path.join(dist, "plugin"))


def _upgrades_finding_nothing():
    findings = []
    for platform, arch in _PLATFORMS:
        for level, language in (("kc1*", "eng*"), ("kc1*", "rus*"), ("kc2*", "rus*"),
                                ("kc3*", "eng*")):
            text = f'no file matches "csp*{arch}* {level}{language}" one level down'
            findings += [
                (f"CSP, {platform}", f"upgrade of an installed {level} {language} CSP 3.6.5365",
                 "error", text),
                (f"CSP, {platform}", f"takeover of a {level} {language} CSP installed under the "
                 "second product code", "error", text)]
    return findings


_FOREIGN = ("product code {F30CF69D-48E0-6E0B-4694-0A2B686156B6} is not the plug-in's "
            f"{fixtures.PLUGIN_CODE}: the launcher installs it all the same")

CASES = [
    CustomCase("check_demo_distribution_clean", _demo_checks_clean),
    _broken("check_upgrade_blank_missing", _csp_without_blank, 2, _upgrades_finding_nothing()),
    _broken("check_foreign_product_code",
            _copy_into("packages", "plugin-foreign-code", "zirelcom-x64.msi", to="plugin"), 2,
            [("Plug-in, 64-bit Windows", "fresh installation", "error", _FOREIGN),
             ("Plug-in, 64-bit Windows", "replacement of an installed older plug-in", "error",
              _FOREIGN)]),
    _broken("check_win32_plugin_newer", _older_x64_plugin, 1,
            [("Plug-in, 64-bit Windows", "replacement of an installed older plug-in", "warning",
              "the version compared is 3.0.0 of plugin\\zirelcom-win32.msi, the package "
              "installed is 1.0.0")]),
    _broken("check_ansi_registry_file", _copy_into("broken", "ZAZ_x64_2.reg"), 2,
            [("ZAZ CSP imports, 64-bit Windows", "regedit /s", "error",
              "not Unicode with a byte-order mark: regedit reads it as ANSI and finds no "
              "\"REGEDIT4\" header")]),
    _broken("check_junk_certificate", _copy_into("certs", "not-a-certificate.cer"), 2,
            [("Files", "certificate file", "error",
              "crypt32 cannot open it as a certificate file: the launcher skips it")]),
]
