"""One scenario's world: a private display, a copy of a golden prefix, and launches in it."""

import json
import os
import shutil
import subprocess
import time

from . import prefixes as prefix_store
from . import processes
from . import wine
from .report import Report
from .xvfb import Xvfb


class Session:
    """Use as a context manager; everything started here is stopped on the way out."""

    def __init__(self, layout, prefixes, name, kind="win64", env=None):
        self.layout = layout
        self.prefixes = prefixes
        self.name = name
        self.kind = kind
        self.env = dict(env or {})
        self.root = os.path.join(layout.run_dir, f"scenario-{name}-{os.getpid()}")
        self.logs = layout.scenario_logs(name)
        # The directory the launcher starts in; a scenario puts its distribution here.
        self.workdir = os.path.join(self.root, "work")
        self.prefix = None
        self._xvfb = None
        self._launches = 0

    def __enter__(self):
        shutil.rmtree(self.logs, ignore_errors=True)
        os.makedirs(self.logs)
        shutil.rmtree(self.root, ignore_errors=True)
        os.makedirs(self.workdir)
        try:
            golden = self.prefixes.get(self.kind)
            prefix_path = os.path.join(self.root, "prefix")
            wine.copy_prefix(golden, prefix_path)
            self._xvfb = Xvfb().start()
            self.prefix = wine.Prefix(prefix_path, os.path.join(self.logs, "wine.log"),
                                      display=self._xvfb.display, extra_env=self.env)
            self.prefix.start_server()
        except BaseException:
            self._teardown()
            raise
        return self

    def __exit__(self, exc_type, exc, tb):
        changed = self._teardown()
        if changed and exc_type is None:
            raise RuntimeError("the scenario changed files shared with the golden prefix: "
                               + ", ".join(changed[:10]))
        return False

    def _teardown(self):
        if self.prefix is not None:
            self.prefix.stop_server()
        if self._xvfb is not None:
            self._xvfb.stop()
        shutil.rmtree(self.root, ignore_errors=True)
        if os.path.isdir(self.prefixes.path(self.kind)):
            return prefix_store.check_untouched(self.prefixes, self.kind)
        return []

    def launch(self, args="", answers=(), dialogs=(), exe=None, cwd=None, timeout_ms=30000,
               shots_dir=None, watch=None, station=None):
        """Runs `exe` (the launcher by default) under the driver with the command-line text
        `args`, answering message boxes with `answers` and dialogs with `dialogs`; with
        `shots_dir`, a screenshot of every box and dialog is saved there as window-N.png.
        `watch`, when given, is called with the events reported so far about every 50 ms
        while the driver runs (for instance to photograph a window while it is shown).
        `station`, when given, names a window station without WSF_VISIBLE that the driver makes
        and starts the launcher on, as a deployment system's SYSTEM account has it: nobody
        sees or answers its windows there."""
        self._launches += 1
        number = self._launches
        args_path = os.path.join(self.logs, f"args-{number}.txt")
        report_path = os.path.join(self.logs, f"report-{number}.json")
        with open(args_path, "w", encoding="utf-8", newline="") as out:
            out.write(args)
        argv = ["wine", self.layout.driver_exe,
                "--exe", wine.windows_path(exe or self.layout.launcher_exe),
                "--cwd", wine.windows_path(cwd or self.workdir),
                "--args-file", wine.windows_path(args_path),
                "--report", wine.windows_path(report_path),
                "--timeout-ms", str(timeout_ms)]
        for answer in answers:
            argv += ["--box", answer]
        for steps in dialogs:
            argv += ["--dialog", steps]
        if station is not None:
            argv += ["--station", station]
        limit = timeout_ms / 1000 + 60
        if shots_dir is None and watch is None:
            try:
                self.prefix.run(argv, timeout=limit)
            except subprocess.TimeoutExpired:
                pass  # the report says what was seen; a missing "finished" fails the checks
        else:
            hold = ["--hold-ms", "800"] if shots_dir is not None else []
            self._launch_watched(argv + hold, report_path, shots_dir, watch, limit)
        return Report.load(report_path)

    def screenshot(self, rect, path):
        """Saves the part [left, top, right, bottom] of the scenario's display as a PNG."""
        left, top, right, bottom = rect
        processes.run_logged(
            ["import", "-window", "root", "-crop",
             f"{right - left}x{bottom - top}+{left}+{top}", "+repage", path],
            self.prefix.env(), self.prefix.log_path, timeout=30)

    def _launch_watched(self, argv, report_path, shots_dir, watch, limit):
        """Runs the driver, photographs each box or dialog while the driver holds it (with
        `shots_dir`) and hands the events to `watch` as they come."""
        if shots_dir is not None:
            os.makedirs(shots_dir, exist_ok=True)
        driver = self.prefix.start(argv)
        deadline = time.monotonic() + limit
        taken = 0
        try:
            while driver.poll() is None and time.monotonic() < deadline:
                time.sleep(0.05)
                events = _read_events(report_path)
                if watch is not None:
                    watch(events)
                if shots_dir is None:
                    continue
                windows = [e for e in events
                           if e.get("type") in ("box", "dialog") and "rect" in e]
                for event in windows[taken:]:
                    taken += 1
                    time.sleep(0.2)  # let the window finish painting
                    self.screenshot(event["rect"],
                                    os.path.join(shots_dir, f"window-{taken}.png"))
        finally:
            if driver.poll() is None:
                processes.kill_group(driver)


def _read_events(report_path):
    try:
        with open(report_path, encoding="utf-8") as source:
            return json.load(source).get("events", [])
    except (FileNotFoundError, ValueError):
        return []
