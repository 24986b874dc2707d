"""The core's package lookup, install command and process runner over the real Windows layer:
a Windows-side test program (tests/e2e/ops) run in a fresh prefix with the fixture packages."""

import os
import subprocess
import tempfile

from harness import checks, wine

from .cases import CustomCase

_FIXTURE_BUILD = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                              "fixtures", "build.sh")


def built_fixtures(layout):
    """The fixtures of this build directory, built now when missing or out of date."""
    path = os.path.join(layout.build_dir, "fixtures")
    subprocess.run([_FIXTURE_BUILD, path], check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, timeout=300)
    return path


def run_windows_program(session, argv, timeout=300):
    """(exit status, output text) of a Windows console program run in the scenario's prefix.
    The output goes through a file, never a pipe, so that no Wine service can hold it open."""
    with tempfile.TemporaryFile() as output:
        status = subprocess.run(["wine", *argv], env=session.prefix.env(),
                                stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT,
                                timeout=timeout, check=False).returncode
        output.seek(0)
        return status, output.read().decode("utf-8", "replace")


def _installer_operations(session):
    packages = os.path.join(built_fixtures(session.layout), "packages")
    program = os.path.join(session.layout.build_dir, "installer_operations_test.exe")
    status, output = run_windows_program(session, [program, wine.windows_path(packages)])
    check = checks.Checker(None)
    check.equal("exit status of installer_operations_test", status, 0)
    check.true("no check failed:\n" + output,
               "failed:" not in output and output.rstrip().endswith(" passed, 0 failed"))
    if check.failures:
        raise checks.ScenarioFailure("\n".join("- " + f for f in check.failures))


CASES = [CustomCase("ops_installer_operations", _installer_operations)]
