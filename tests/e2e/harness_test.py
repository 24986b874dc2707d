#!/usr/bin/env python3
"""Checks of the harness's own logic that need no Wine: prefix copies and the expectations."""

import json
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import checks, wine  # noqa: E402
from harness.checks import Box  # noqa: E402
from harness.report import Report  # noqa: E402


def _write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)


class CopyPrefixTest(unittest.TestCase):
    def setUp(self):
        self.temp = tempfile.TemporaryDirectory()
        self.golden = os.path.join(self.temp.name, "golden")
        self.copy = os.path.join(self.temp.name, "copy")
        _write(os.path.join(self.golden, "system.reg"), "registry")
        _write(os.path.join(self.golden, "drive_c/windows/system32/kernel32.dll"), "code")
        _write(os.path.join(self.golden, "drive_c/windows/win.ini"), "[windows]")
        os.makedirs(os.path.join(self.golden, "dosdevices"))
        os.symlink("../drive_c", os.path.join(self.golden, "dosdevices", "c:"))
        wine.write_manifest(self.golden)

    def tearDown(self):
        self.temp.cleanup()

    def test_program_files_are_shared_and_the_rest_copied(self):
        wine.copy_prefix(self.golden, self.copy)
        dll = "drive_c/windows/system32/kernel32.dll"
        self.assertTrue(os.path.samefile(os.path.join(self.golden, dll),
                                         os.path.join(self.copy, dll)))
        for own in ("system.reg", "drive_c/windows/win.ini"):
            self.assertFalse(os.path.samefile(os.path.join(self.golden, own),
                                              os.path.join(self.copy, own)), own)
        self.assertEqual(os.readlink(os.path.join(self.copy, "dosdevices", "c:")), "../drive_c")

    def test_writing_a_copied_file_leaves_the_golden_prefix_alone(self):
        wine.copy_prefix(self.golden, self.copy)
        _write(os.path.join(self.copy, "system.reg"), "changed")
        with open(os.path.join(self.golden, "system.reg"), encoding="utf-8") as source:
            self.assertEqual(source.read(), "registry")
        self.assertEqual(wine.changed_shared_files(self.golden), [])

    def test_writing_through_a_shared_file_is_detected(self):
        wine.copy_prefix(self.golden, self.copy)
        with open(os.path.join(self.copy, "drive_c/windows/system32/kernel32.dll"), "a") as out:
            out.write("patched")
        self.assertEqual(wine.changed_shared_files(self.golden),
                         ["drive_c/windows/system32/kernel32.dll"])


def _report(exit_code=0, boxes=(), **extra):
    data = {"finished": True, "started": True, "timeout": False, "exitCode": exit_code,
            "windowsVersion": [6, 1, 1], "driverError": "", "events": list(boxes)}
    data.update(extra)
    return Report(data, "report.json")


def _box_event(caption="C", text="T", icon="none", buttons=("ok",), answer="ok"):
    return {"type": "box", "caption": caption, "text": text, "icon": icon,
            "buttons": list(buttons), "answer": answer, "scripted": True, "answerError": ""}


class ExpectationsTest(unittest.TestCase):
    WANT = Box("C", "T", "none", ("ok",), "ok")

    def failures(self, report, exit_code=0, boxes=(WANT,)):
        check = checks.Checker(report)
        checks.expect_ran(check, exit_code)
        checks.expect_boxes(check, list(boxes))
        checks.expect_no_visible_window(check)
        checks.expect_no_child_process(check)
        return check.failures

    def test_a_matching_run_passes(self):
        self.assertEqual(self.failures(_report(boxes=[_box_event()])), [])
        checks.Checker(_report()).done()  # nothing collected: no exception

    def test_each_difference_is_reported(self):
        cases = [
            (_report(exit_code=3, boxes=[_box_event()]), "exit code"),
            (_report(boxes=[_box_event(caption="X")]), "box 1 caption"),
            (_report(boxes=[_box_event(text="T\n")]), "box 1 text: differs at character 1"),
            (_report(boxes=[_box_event(icon="error")]), "box 1 icon"),
            (_report(boxes=[_box_event(buttons=("yes", "no"))]), "box 1 buttons"),
            (_report(boxes=[_box_event(answer="no")]), "box 1 answer"),
            (_report(boxes=[]), "number of message boxes"),
            (_report(boxes=[_box_event(), _box_event()]), "number of message boxes"),
            (_report(boxes=[_box_event()], timeout=True, exitCode=None), "time limit"),
            (_report(boxes=[_box_event()], finished=False), "finished its report"),
            (_report(boxes=[_box_event(), {"type": "window", "visible": True}]),
             "visible windows"),
            (_report(boxes=[_box_event(), {"type": "process", "exe": "msiexec.exe"}]),
             "child processes"),
        ]
        for report, expected in cases:
            with self.subTest(expected=expected):
                found = self.failures(report)
                self.assertTrue(any(expected in failure for failure in found), found)

    def test_done_raises_with_every_failure_and_the_report(self):
        check = checks.Checker(_report(exit_code=5))
        checks.expect_ran(check, 0)
        check.equal("caption", "a", "b")
        with self.assertRaises(checks.ScenarioFailure) as raised:
            check.done()
        message = str(raised.exception)
        self.assertIn("exit code: got 5, expected 0", message)
        self.assertIn("caption", message)
        self.assertIn("report report.json", message)

    def test_a_missing_report_reads_as_unfinished(self):
        with tempfile.TemporaryDirectory() as temp:
            report = Report.load(os.path.join(temp, "none.json"))
        self.assertFalse(report.finished)
        self.assertFalse(report.started)

    def test_report_events_are_read_by_type(self):
        with tempfile.TemporaryDirectory() as temp:
            path = os.path.join(temp, "r.json")
            with open(path, "w", encoding="utf-8") as out:
                json.dump(_report(boxes=[_box_event(), {"type": "process", "exe": "a"}]).data,
                          out)
            report = Report.load(path)
        self.assertEqual([b["caption"] for b in report.boxes], ["C"])
        self.assertEqual([p["exe"] for p in report.processes], ["a"])
        self.assertEqual(report.windows_version, (6, 1, 1))


if __name__ == "__main__":
    unittest.main()
