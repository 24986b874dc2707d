"""The distribution checker under Wine: the demo distribution gives only the findings that
depend on the medium's listing order and the note that it has no arm64 packages, its detection
facts, and installs nothing; with one CSP configuration per platform it checks clean; the demo
with one fault from the fixtures, or with arm64 packages, gives exactly that change's findings and
exit code besides. build_distributions builds the distribution
of each scenario outside one, for scripts/compare-reports."""

import json
import os
import shutil
import subprocess

from harness import checks, wine

from . import installer_fixtures as fixtures
from .cases import Bare, CustomCase
from .installer_operations import run_windows_program

CSP_CODE = "{6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841}"
ZAZ_CODE = "{3D7E90B5-A241-4C6E-9F08-57B2E1C4A396}"
_PLATFORMS = (("32-bit Windows", "win32"), ("64-bit Windows", "x64"))
# Windows on Arm, with the platform it takes where a product has no arm64 package.
_ARM_FALLBACKS = (("Windows 11 on Arm", "x64"), ("Windows 10 on Arm", "win32"))
_ARM64 = tuple((windows, "arm64") for windows, _ in _ARM_FALLBACKS)


def _make_demo(layout, dist):
    """The distribution of scripts/make-demo, built in `dist`."""
    env = dict(os.environ, ZIREL_FIXTURES_DIR=fixtures.fixtures_dir(layout))
    subprocess.run([os.path.join(layout.source_dir, "scripts", "make-demo"), dist],
                   env=env, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   timeout=300)
    return dist


def _demo(session):
    """The demo distribution, built in the scenario's directory."""
    return _make_demo(session.layout, os.path.join(session.workdir, "dist"))


def _check(session, *args):
    exe = os.path.join(session.layout.build_dir, "zirelpluginsetup-check.exe")
    return run_windows_program(session, [exe, *args], timeout=120)


def _findings(report):
    """(section, path, severity, id, text) of every finding of a JSON report."""
    return sorted((section["title"], line["path"], finding["severity"], finding["id"],
                   finding["text"])
                  for section in report["sections"] for line in section["lines"]
                  for finding in line["findings"])


_CSP_CONFIGURATIONS = (("kc1*", "eng*"), ("kc1*", "rus*"), ("kc2*", "rus*"), ("kc3*", "eng*"))


def _csp_files(arch, blank=" "):
    return [f"csp\\csp-{arch}-{blank}{level[:-1]}-{language[:-1]}.msi"
            for level, language in _CSP_CONFIGURATIONS]


def _plain_csp_matches(blank=" ", platforms=_PLATFORMS):
    findings = []
    for platform, arch in platforms:
        names = _csp_files(arch, blank)
        findings.append((f"CSP, {platform}", "fresh installation, -csp", "warning",
                         "pattern-matches-several-files", f'"csp*{arch}* " matches 4 files: ' + ", ".join(names[:-1]) + " and "
                         + names[-1] + "; which one the launcher takes depends on the listing "
                         "order of the medium it runs from"))
    return findings


_NO_ARM64 = ("Files", "arm64 packages", "note", "arm64-packages-absent",
             "no arm64 packages: Windows 11 on Arm takes the x64 packages, Windows 10 on Arm the "
             "win32 ones")


def _demo_findings():
    """What the demo gives: that plain -csp takes whichever configuration the medium lists first,
    and the note that it has no arm64 packages. A 64-bit package met first by a version check on
    32-bit Windows is passed over."""
    return _plain_csp_matches() + [_NO_ARM64]


def _needs(*files):
    return [f"    {file}: Windows Installer 2.0 (Page Count 200)" for file in files]


_DEMO_DETECTION = (
    ["  plug-in {B5290F4D-7E3A-46C1-8D95-0A6F2C8E13B7}: 32-bit Windows 3.0.0, 64-bit Windows "
     "3.0.0; the same on every platform"]
    + _needs("plugin\\zirelcom-win32.msi", "plugin\\zirelcom-x64.msi")
    + ["  CSP {6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841}: 32-bit Windows 3.6.7000, 64-bit Windows "
       "3.6.7000; the same on every platform"]
    + _needs(*_csp_files("win32"), *_csp_files("x64"))
    + ["  ZAZ CSP {3D7E90B5-A241-4C6E-9F08-57B2E1C4A396}: 32-bit Windows 4.0.200, 64-bit Windows "
       "4.0.200; the same on every platform"]
    + _needs("ucsp\\ucsp-win32-rus.msi", "ucsp\\ucsp-x64-rus.msi"))


def _titles(*windows):
    return [f"{paths}, {kind}" for kind in windows
            for paths in ("Plug-in", "CSP", "ZAZ CSP", "ZAZ CSP imports")] + ["Files"]


def _demo_check(session):
    dist = _demo(session)
    check = checks.Checker(None)
    status, output = _check(session, wine.windows_path(dist))
    check.equal("exit code", status, 1)
    lines = output.rstrip().splitlines()
    check.equal("last line", lines[-1], "0 errors, 2 warnings")
    check.equal("detection part", lines[-len(_DEMO_DETECTION) - 3:-2],
                ["Detection"] + _DEMO_DETECTION)
    # An upgrade keeping kc2 Russian on 64-bit Windows finds the package with the blank.
    check.true("the note in:\n" + output, "  arm64 packages \u2192 none\n    note: " + _NO_ARM64[4]
               in output.replace("\r\n", "\n"))
    check.true("the kc2 Russian upgrade line in:\n" + output,
               "  upgrade of an installed kc2* rus* CSP 3.6.5365 \u2192 csp\\csp-x64- kc2-rus.msi  ("
               in output)
    for code in (fixtures.PLUGIN_CODE, CSP_CODE, ZAZ_CODE):
        check.equal(f"state of {code} after the check", fixtures.product(session, code)["state"],
                    "-1")
    status, output = _check(session, "--json", wine.windows_path(dist))
    check.equal("exit code with --json", status, 1)
    report = json.loads(output)
    check.equal("JSON counts", (report["errors"], report["warnings"], report["exitCode"]),
                (0, 2, 1))
    check.equal("findings", _findings(report), sorted(_demo_findings()))
    check.equal("JSON detection of the plug-in", report["detection"][0],
                {"product": "plug-in", "productCode": fixtures.PLUGIN_CODE,
                 "versions": {"32-bit Windows": ["3.0.0"], "64-bit Windows": ["3.0.0"]},
                 "sameOnEveryPlatform": True,
                 "packages": [{"file": f"plugin\\zirelcom-{arch}.msi", "pageCount": 200,
                               "windowsInstaller": "2.0"} for arch in ("win32", "x64")]})
    check.equal("sections", [section["title"] for section in report["sections"]],
                _titles(*(windows for windows, _ in _PLATFORMS)))
    status, _ = _check(session, wine.windows_path(os.path.join(dist, "missing")))
    check.equal("exit code for a missing folder", status, 3)
    status, _ = _check(session, "--unknown", wine.windows_path(dist))
    check.equal("exit code for an unknown option", status, 3)
    check.done()


# The distribution each scenario checks: the demo changed by a fault (None: the demo itself).
FAULTS = {"check_demo_distribution": None}


def _broken(name, fault, exit_code, findings, gone=(), also=None):
    """The demo changed by `fault(session, dist)`: exactly `findings` besides the demo's own,
    but for those in `gone`, and `exit_code`; `also(check, report)` checks more of the report."""
    findings = [f for f in _demo_findings() if f not in gone] + list(findings)
    FAULTS[name] = fault

    def body(session):
        dist = _demo(session)
        fault(session, dist)
        status, output = _check(session, "--json", wine.windows_path(dist))
        check = checks.Checker(None)
        check.equal("exit code", status, exit_code)
        try:
            report = json.loads(output)
        except ValueError:
            report = None
        check.equal("findings", _findings(report) if report else output, sorted(findings))
        if also is not None and report:
            also(check, report)
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


def _one_configuration(session, dist):
    """One CSP configuration per platform, win32 and x64 side by side like every product."""
    for name in _csp_files("win32") + _csp_files("x64"):
        if "kc2-rus" not in name:
            os.remove(os.path.join(dist, *name.split("\\")))


def _then(*faults):
    def fault(session, dist):
        for each in faults:
            each(session, dist)
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
                 "error", "package-not-found", text),
                (f"CSP, {platform}", f"takeover of a {level} {language} CSP installed under the "
                 "second product code", "error", "package-not-found", text)]
    return findings


_FOREIGN = ("product code {F30CF69D-48E0-6E0B-4694-0A2B686156B6} is not the plug-in's "
            f"{fixtures.PLUGIN_CODE}: the launcher installs it all the same")

def _x64_plugin_named_amd64(session, dist):
    shutil.copy(_fixture(session, "packages", "plugin-3.0.0", "zirelcom-x64.msi"),
                os.path.join(dist, "plugin", "zirelcom-amd64.msi"))


def _x64_plugin_named_win32(session, dist):
    shutil.copy(_fixture(session, "packages", "plugin-3.0.0", "zirelcom-x64.msi"),
                os.path.join(dist, "plugin", "zirelcom-win32.msi"))


def _win32_plugin_in_second_folder(session, dist):
    os.makedirs(os.path.join(dist, "plugin-copy"))
    shutil.copy(_fixture(session, "packages", "plugin-3.0.0", "zirelcom-win32.msi"),
                os.path.join(dist, "plugin-copy"))


def _two_win32_plugins():
    text = ('"zirelcom*win32*" matches 2 files: plugin\\zirelcom-win32.msi and '
            "plugin-copy\\zirelcom-win32.msi; which one the launcher takes depends on the listing "
            "order of the medium it runs from")
    return [("Plug-in, 32-bit Windows", path, "warning", "pattern-matches-several-files", text)
            for path in ("fresh installation", "replacement of an installed older plug-in")] + [
        ("Files", "package file", "warning", "package-unreached-in-listing-order",
         "no path of the launcher reaches it in this folder's listing order")]


def _packages_of(*sets):
    """Every package of each fixture set (set, folder) copied into that folder."""
    def fault(session, dist):
        for name, folder in sets:
            source = _fixture(session, "packages", name)
            for file in os.listdir(source):
                shutil.copy(os.path.join(source, file), os.path.join(dist, folder))
    return fault


def _on_every_platform(check, report):
    """Windows on Arm after the others, each product at one version everywhere, the arm64 plug-in
    installed and the x64 settings files imported for the arm64 ZAZ CSP."""
    sections = {section["title"]: section["lines"] for section in report["sections"]}
    windows = [kind for kind, _ in _PLATFORMS + _ARM64]
    check.equal("sections", list(sections), _titles(*windows))
    check.equal("versions", [(facts["versions"], facts["sameOnEveryPlatform"])
                             for facts in report["detection"]],
                [({kind: [version] for kind in windows}, True)
                 for version in ("3.0.0", "3.6.7000", "4.0.200")])
    for kind, _ in _ARM64:
        check.equal(f"plug-in on {kind}", sections[f"Plug-in, {kind}"][0]["file"],
                    "plugin\\zirelcom-arm64.msi")
        check.equal(f"imports on {kind}",
                    [line["file"] for line in sections[f"ZAZ CSP imports, {kind}"]],
                    ["ZAZ_x64_2.reg", "ZAZ_acl_x64.acl"])


# Windows on Arm without arm64 CSP packages takes the x64 or win32 ones, whose -csp matches too.
_ARM_FALLBACK_MATCHES = _plain_csp_matches(platforms=_ARM_FALLBACKS)
_PROVIDERS_WITHOUT_ARM64 = [
    ("Files", f"arm64 packages of the {name}", "warning", "product-without-arm64-package",
     f"on Windows 11 on Arm the x64 {name} is installed, registered for native ARM64 programs, "
     "which cannot load it") for name in ("CSP", "ZAZ CSP")]
_REFUSED_ON_WINDOWS_10_ARM = (
    "msiexec refuses this x64 package on Windows 10 on Arm with 1633, and the launcher ends this "
    "path with 1633")

_NEEDS_INSTALLER_5 = ("Windows 2000 SP4, XP SP2, Server 2003 SP2 and Vista refuse it with 1613: "
                      "there is no Windows Installer 5.0 for them")

CASES = [
    CustomCase("check_demo_distribution", _demo_check),
    _broken("check_one_configuration_per_platform_clean", _one_configuration, 0, [],
            gone=_plain_csp_matches()),
    _broken("check_win32_plugin_needs_installer_5",
            _then(_one_configuration, _copy_into("packages", "plugin-3.0.0-installer-5.0",
                                                 "zirelcom-win32.msi", to="plugin")), 1,
            [("Files", "package file", "warning", "package-needs-newer-installer",
              _NEEDS_INSTALLER_5)], gone=_plain_csp_matches()),
    _broken("check_upgrade_blank_missing", _csp_without_blank, 2,
            _upgrades_finding_nothing() + _plain_csp_matches(blank=""),
            gone=_plain_csp_matches()),
    _broken("check_foreign_product_code",
            _copy_into("packages", "plugin-foreign-code", "zirelcom-x64.msi", to="plugin"), 2,
            [("Plug-in, 64-bit Windows", "fresh installation", "error", "foreign-product-code",
              _FOREIGN),
             ("Plug-in, 64-bit Windows", "replacement of an installed older plug-in", "error",
              "foreign-product-code", _FOREIGN)]),
    _broken("check_win32_plugin_newer", _older_x64_plugin, 1,
            [("Plug-in, 64-bit Windows", "replacement of an installed older plug-in", "warning",
              "version-read-from-other-package", "the version compared is 3.0.0 of plugin\\zirelcom-win32.msi, the package "
              "installed is 1.0.0")]),
    _broken("check_ansi_registry_file", _copy_into("broken", "ZAZ_x64_2.reg"), 2,
            [("ZAZ CSP imports, 64-bit Windows", "regedit /s", "error", "registry-file-format",
              "not Unicode with a byte-order mark: regedit reads it as ANSI and finds no "
              "\"REGEDIT4\" header")]),
    _broken("check_junk_certificate", _copy_into("certs", "not-a-certificate.cer"), 2,
            [("Files", "certificate file", "error", "certificate-file-unopenable",
              "crypt32 cannot open it as a certificate file: the launcher skips it")]),
    # The version check on 32-bit Windows meets zirelcom-amd64.msi first and passes over it.
    _broken("check_x64_plugin_met_first_on_32bit_passed_over", _x64_plugin_named_amd64, 1, []),
    _broken("check_x64_plugin_named_win32", _x64_plugin_named_win32, 2,
            [("Files", "package file", "error", "package-named-for-other-platform",
              'named for Intel Windows, but its Template "x64;1033" names the x64 platform: the '
              "launcher picks packages by name"),
             ("Plug-in, 32-bit Windows", "fresh installation", "error", "platform-refused",
              "msiexec refuses this x64 package on 32-bit Windows with 1633, and the launcher ends "
              "this path with 1633"),
             ("Plug-in, 32-bit Windows", "replacement of an installed older plug-in", "error",
              "platform-refused", "the version check opens plugin\\zirelcom-win32.msi, an x64 package, which "
              "MsiOpenPackageEx refuses on 32-bit Windows with 1633: message 133, and the "
              "launcher ends this path with 1633")]),
    _broken("check_two_candidates_two_folders", _win32_plugin_in_second_folder, 1,
            _two_win32_plugins()),
    _broken("check_arm64_packages_of_every_product",
            _packages_of(("plugin-3.0.0-arm64", "plugin"), ("csp-3.6.7000-blank-arm64", "csp"),
                         ("ucsp-4.0.200-arm64", "ucsp")), 1,
            _plain_csp_matches(platforms=_ARM64), gone=[_NO_ARM64], also=_on_every_platform),
    _broken("check_arm64_plugin_only", _packages_of(("plugin-3.0.0-arm64", "plugin")), 1,
            _ARM_FALLBACK_MATCHES + _PROVIDERS_WITHOUT_ARM64, gone=[_NO_ARM64]),
    _broken("check_arm64_name_on_x64_template",
            _packages_of(("plugin-3.0.0-arm64-x64-template", "plugin")), 2,
            _ARM_FALLBACK_MATCHES + _PROVIDERS_WITHOUT_ARM64 + [
                ("Files", "package file", "error", "package-named-for-other-platform",
                 'named for Arm64 Windows, but its Template "x64;1033" names the x64 platform: '
                 "the launcher picks packages by name"),
                # Judged as the x64 package it is: its Page Count 500 is too new for XP to Vista.
                ("Files", "package file", "warning", "package-needs-newer-installer",
                 "Windows XP SP2, Server 2003 SP2 and Vista refuse it with 1613: there is no "
                 "Windows Installer 5.0 for them")] + [
                ("Plug-in, Windows 10 on Arm", path, "error", "platform-refused",
                 _REFUSED_ON_WINDOWS_10_ARM)
                for path in ("fresh installation", "replacement of an installed older plug-in")],
            gone=[_NO_ARM64]),
    _broken("check_arm64_page_count_200",
            _packages_of(("plugin-3.0.0-arm64-page-count-200", "plugin")), 2,
            _ARM_FALLBACK_MATCHES + _PROVIDERS_WITHOUT_ARM64 + [
                ("Files", "package file", "error", "package-page-count-below-platform",
                 "its Template names the Arm64 platform, for which the Page Count must be 500 or "
                 "more")],
            gone=[_NO_ARM64]),
]


def build_distributions(layout, folder):
    """Builds the distribution of every scenario above into folder/<scenario name>, afresh;
    returns the names. A fault needs nothing of a session but its layout."""
    outside = Bare(layout, None, "distributions")
    for name, fault in FAULTS.items():
        dist = os.path.join(folder, name)
        shutil.rmtree(dist, ignore_errors=True)
        _make_demo(layout, dist)
        if fault is not None:
            fault(outside, dist)
    return list(FAULTS)
