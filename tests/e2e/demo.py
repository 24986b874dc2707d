#!/usr/bin/env python3
"""Runs the launcher in a Wine prefix on a private display, the way a person would see it:
each step's message boxes are photographed, described and answered, and the exit code shown.

  demo.py --build-dir build/windows --out DIR [--distribution DIR]

With a distribution (see scripts/make-demo) the launcher also installs from it, in the same
prefix, so that each step starts from what the steps before it left installed.
"""

import argparse
import glob
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness.layout import Layout  # noqa: E402
from harness.prefixes import Prefixes  # noqa: E402
from harness.session import Session  # noqa: E402
from scenarios.installer_fixtures import product  # noqa: E402

_SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# (title, command-line text, answers to the boxes in order, needs the distribution)
STEPS = [
    ("help", "-help", ["ok"], False),
    ("help with the CSP options", "-csp -help", ["ok"], False),
    ("confirmation question, answered No", "", ["no"], False),
    ("confirmation question with both providers, answered No", "-csp -ucsp", ["no"], False),
    ("plug-in installation, answered Yes", "", ["yes", "ok"], True),
    ("plug-in, CSP and ZAZ CSP, answered Yes", "-csp -ucsp", ["yes", "ok"], True),
]

# The products of the demo distribution, with their product codes.
PRODUCTS = [
    ("Vestacor Signavel", "{B5290F4D-7E3A-46C1-8D95-0A6F2C8E13B7}"),
    ("Vestacor CSP", "{6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841}"),
    ("Vestacor ZAZ CSP", "{3D7E90B5-A241-4C6E-9F08-57B2E1C4A396}"),
]


def installed_products(session):
    """What the Windows Installer of the prefix reports about each product (via msi_probe)."""
    lines = ["  the Windows Installer reports:"]
    for name, code in PRODUCTS:
        report = product(session, code)
        if report.get("state") == "5":
            lines.append(f"    {name}: installed, version {report.get('version')}, language "
                         f"{report.get('language')}, package {report.get('packagename')}")
        else:
            lines.append(f"    {name}: not installed (state {report.get('state')})")
    return "\n".join(lines)


def run_logs(session):
    """The launcher's logs in the prefix's temporary folders, oldest first."""
    return sorted(glob.glob(os.path.join(session.prefix.path, "drive_c", "users", "*", "**",
                                         "zirelpluginsetup_*.log"), recursive=True),
                  key=os.path.getmtime)


def describe_log(path, whole):
    """Where the step's log is and, when `whole`, every line of it."""
    lines = [f"  run log: {path}"]
    if whole:
        with open(path, encoding="utf-8-sig", newline="") as log:
            lines += ["    | " + line for line in log.read().split("\r\n") if line]
    return "\n".join(lines)


def describe(report, shots_dir, number):
    lines = []
    for index, event in enumerate(e for e in report.events if e["type"] in ("box", "dialog")):
        shot = os.path.join(shots_dir, f"window-{index + 1}.png")
        if event["type"] == "box":
            lines.append(f"  message box \"{event['caption']}\" icon={event['icon']} "
                         f"buttons={','.join(event['buttons'])} answered {event['answer']}")
            for text_line in event["text"].split("\n"):
                lines.append("    | " + text_line.replace("\t", "    "))
        else:
            lines.append(f"  dialog \"{event['title']}\"")
        lines.append(f"    screenshot: {shot if os.path.exists(shot) else '(none)'}")
    if not lines:
        lines.append("  no message box or dialog was shown")
    for event in report.windows:
        if event.get("visible"):
            lines.append(f"  window \"{event['title']}\" (class {event['class']}"
                         f"{', with a progress bar' if event.get('progressBar') else ''})")
    for event in report.processes:
        lines.append(f"  child process: {event['exe']}")
    if report.timeout:
        lines.append("  the launcher did not end within the time limit and was stopped")
    else:
        lines.append(f"  exit code: {report.exit_code}")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--distribution")
    options = parser.parse_args()

    layout = Layout(options.build_dir, _SOURCE_DIR, name="demo")
    prefixes = Prefixes(layout)
    out = os.path.abspath(options.out)
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    print(f"Preparing a Wine prefix in {layout.run_dir} ...", flush=True)
    prefixes.reset()
    failed = False
    try:
        with Session(layout, prefixes, "demo") as session:
            logs_seen = set(run_logs(session))
            for number, (title, args, answers, installs) in enumerate(STEPS, start=1):
                if installs and not options.distribution:
                    continue
                cwd = os.path.abspath(options.distribution) if installs else session.workdir
                shots = os.path.join(out, f"step-{number}")
                report = session.launch(args, answers=answers, cwd=cwd, timeout_ms=120000,
                                        shots_dir=shots)
                print(f"\n[{number}] {title}: zirelpluginsetup.exe {args}".rstrip(), flush=True)
                print(f"  current directory: {cwd}", flush=True)
                print(describe(report, shots, number), flush=True)
                new_logs = [log for log in run_logs(session) if log not in logs_seen]
                logs_seen.update(new_logs)
                for log in new_logs:
                    print(describe_log(log, whole=installs), flush=True)
                if installs:
                    print(installed_products(session), flush=True)
                failed = failed or not report.finished
    finally:
        prefixes.remove()
    print(f"\nScreenshots are in {out}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
