"""The core's package lookup, install command and process runner over the real Windows layer:
a Windows-side test program (tests/e2e/ops) run in a fresh prefix with the fixture packages."""

import os
import subprocess
import tempfile

from harness import checks, wine

from . import installer_fixtures as fixtures
from .cases import CustomCase


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
    packages = os.path.join(fixtures.fixtures_dir(session.layout), "packages")
    program = os.path.join(session.layout.build_dir, "installer_operations_test.exe")
    status, output = run_windows_program(session, [program, wine.windows_path(packages)])
    check = checks.Checker(None)
    check.equal("exit status of installer_operations_test", status, 0)
    check.true("no check failed:\n" + output,
               "failed:" not in output and output.rstrip().endswith(" passed, 0 failed"))
    if check.failures:
        raise checks.ScenarioFailure("\n".join("- " + f for f in check.failures))


CASES = [CustomCase("ops_installer_operations", _installer_operations)]
