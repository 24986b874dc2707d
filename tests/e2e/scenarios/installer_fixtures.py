"""Package fixtures in a scenario: the distribution in the launcher's directory, products
installed beforehand with plain msiexec, and what the Windows Installer reports afterwards
(through msi_probe, run inside the scenario's prefix)."""

import os
import shutil
import subprocess
import tempfile

from harness import wine

PLUGIN_CODE = "{B5290F4D-7E3A-46C1-8D95-0A6F2C8E13B7}"

_FIXTURE_SOURCES = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "fixtures")


def fixtures_dir(layout):
    """The built fixtures of this build directory, built now when missing or out of date."""
    path = os.path.join(layout.build_dir, "fixtures")
    subprocess.run([os.path.join(_FIXTURE_SOURCES, "build.sh"), path], check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, timeout=300)
    return path


def package_path(layout, package_set, file_name):
    return os.path.join(fixtures_dir(layout), "packages", package_set, file_name)


def put_distribution(session, subdirectories):
    """Copies fixture sets into the launcher's directory: {subdirectory: set}."""
    packages = os.path.join(fixtures_dir(session.layout), "packages")
    for subdirectory, package_set in subdirectories.items():
        shutil.copytree(os.path.join(packages, package_set),
                        os.path.join(session.workdir, subdirectory))


def probe(session, *args, timeout=120):
    """msi_probe's output lines in the scenario's prefix. Output goes through a file, never a
    pipe, so that no Wine service can hold it open."""
    exe = os.path.join(session.layout.build_dir, "msi_probe.exe")
    with tempfile.TemporaryFile() as output:
        subprocess.run(["wine", exe, *args], env=session.prefix.env(), stdin=subprocess.DEVNULL,
                       stdout=output, stderr=subprocess.DEVNULL, timeout=timeout, check=False)
        output.seek(0)
        return output.read().decode("utf-8").splitlines()


def install_beforehand(session, package_set, file_name, *properties, expected_exit=0):
    """Installs a fixture package with plain msiexec before the launcher runs."""
    path = wine.windows_path(package_path(session.layout, package_set, file_name))
    lines = probe(session, "run", "msiexec", "/qn", "/i", path, *properties, "REBOOT=R")
    if lines != [str(expected_exit)]:
        raise RuntimeError(f"installing {package_set}/{file_name} beforehand ended with {lines}, "
                           f"not {expected_exit}")


def product(session, code, *features):
    """What the Windows Installer reports about a product: {"state": "5", "version": ...,
    "packagename": ..., "feature VIVAZED": "3", ...}; failed reads read "error <code>"."""
    report = {}
    for line in probe(session, "product", code, *features):
        name, _, value = line.partition("=")
        report[name] = value
    return report


def expect_product(check, session, code, expected):
    """The product's report holds the expected values (only the keys given are compared)."""
    features = [key.split(" ", 1)[1] for key in expected if key.startswith("feature ")]
    report = product(session, code, *features)
    for key, value in expected.items():
        check.equal(f"installed product, {key}", report.get(key), value)
