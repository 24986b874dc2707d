"""The driver itself, run against a sample program whose windows and exit code are known."""

import os
import struct

from harness import checks
from harness.checks import Box
from harness.prefixes import PLATFORMS, expected_version
from harness.session import Session

from .cases import CustomCase


def _launch_sample(session, args, **kwargs):
    return session.launch(args, exe=session.layout.sample_exe, **kwargs)


def _png_size(path):
    """(width, height) of a PNG file, or None when it is missing or not one."""
    try:
        with open(path, "rb") as source:
            header = source.read(24)
    except FileNotFoundError:
        return None
    if len(header) < 24 or header[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack(">II", header[16:24])


def _icons(session):
    shots = os.path.join(session.logs, "shots")
    report = _launch_sample(
        session,
        'box 10 "Справка" "Первая строка\\n\\tвторая" box 40 c "i" box 30 c "w" box 20 c "q" '
        'box 0 c "n" exit answers',
        answers=["ok"] * 5, shots_dir=shots)
    check = checks.Checker(report)
    checks.expect_ran(check, 11111)
    checks.expect_boxes(check, [
        Box("Справка", "Первая строка\n\tвторая", "error", ("ok",), "ok"),
        Box("c", "i", "information", ("ok",), "ok"),
        Box("c", "w", "warning", ("ok",), "ok"),
        Box("c", "q", "question", ("ok",), "ok"),
        Box("c", "n", "none", ("ok",), "ok"),
    ])
    for number, box in enumerate(report.boxes, start=1):
        left, top, right, bottom = box["rect"]
        size = _png_size(os.path.join(shots, f"window-{number}.png"))
        check.equal(f"screenshot {number} size", size, (right - left, bottom - top))
    check.done()


def _answers(session):
    # Yes, then No, then a box beyond the script: answered No and marked unscripted.
    report = _launch_sample(session, "box 4 c a box 4 c b box 3 c x exit answers",
                            answers=["yes", "no"])
    check = checks.Checker(report)
    checks.expect_ran(check, 677)
    check.equal("boxes", len(report.boxes), 3)
    if len(report.boxes) == 3:
        first, second, third = report.boxes
        check.equal("first buttons", first["buttons"], ["yes", "no"])
        check.equal("first answer", (first["answer"], first["scripted"]), ("yes", True))
        check.equal("second answer", (second["answer"], second["scripted"]), ("no", True))
        check.equal("third buttons", third["buttons"], ["yes", "no", "cancel"])
        check.equal("third answer", (third["answer"], third["scripted"]), ("no", False))
    check.done()


def _missing_button(session):
    # A scripted answer that the box does not offer is reported, and the box still closed.
    report = _launch_sample(session, "box 0 c t exit answers", answers=["yes"])
    check = checks.Checker(report)
    checks.expect_ran(check, 1)
    check.equal("answer error", [b["answerError"] for b in report.boxes],
                ["the box has no button yes"])
    check.done()


def _exit_codes(session):
    for code in (4294967295, 3010, 1603, 0):
        report = _launch_sample(session, f"exit {code}")
        check = checks.Checker(report)
        checks.expect_ran(check, code)
        check.done()


def _timeout(session):
    report = _launch_sample(session, "sleep 600000", timeout_ms=2000)
    check = checks.Checker(report)
    check.true("timeout reported", report.timeout)
    check.true("report finished", report.finished)
    check.equal("exit code after a timeout", report.exit_code, None)
    check.done()
    # The prefix is usable again: the hung program was ended.
    after = _launch_sample(session, "exit 5")
    check = checks.Checker(after)
    checks.expect_ran(check, 5)
    check.done()


def _windows_and_processes(session):
    report = _launch_sample(
        session, 'progress "Установка..." 300 spawn "cmd /c exit 0" box 0 c t exit 0',
        answers=["ok"])
    check = checks.Checker(report)
    checks.expect_ran(check, 0)
    kinds = [event["type"] for event in report.events
             if event["type"] in ("window-gone", "box")]
    check.equal("progress window gone before the box", kinds, ["window-gone", "box"])
    visible = [w for w in report.windows if w["visible"]]
    check.equal("visible progress window",
                [(w["class"], w["title"], w["progressBar"], w.get("rect")) for w in visible],
                [("SampleProgress", "Установка...", True, [100, 100, 400, 200])])
    check.equal("child processes", [p["exe"].lower() for p in report.processes][:1],
                ["cmd.exe"])
    check.done()


def _dialog_steps(session):
    report = _launch_sample(session, "dialog dialog dialog exit answers",
                            dialogs=["click:100,snapshot,click:1", "click:100,close"])
    check = checks.Checker(report)
    # First dialog: check box set, OK (10 * 1 + 1); second: check box set, closed by its
    # close box, which counts as Cancel (10 * 2 + 1); third, unscripted: Cancel (10 * 2 + 0).
    checks.expect_ran(check, 112120)

    def option_state(event):
        return [c["checked"] for c in event["controls"] if c["id"] == 100]

    steps = [(d["step"], d["title"], option_state(d)) for d in report.dialogs]
    check.equal("dialog reports", steps, [
        ("shown", "Sample dialog", [0]),
        ("snapshot", "Sample dialog", [1]),
        ("shown", "Sample dialog", [0]),
        ("shown", "Sample dialog", [0]),
    ])
    check.done()


def _platform_prefixes(session):
    # Every platform prefix reports the Windows version it was made for.
    check = checks.Checker(None)
    for kind in PLATFORMS:
        with Session(session.layout, session.prefixes, f"{session.name}-{kind}",
                     kind=kind) as platform:
            report = _launch_sample(platform, "exit 0")
        check.report = report
        check.equal(f"{kind}: Windows version", report.windows_version, expected_version(kind))
        check.equal(f"{kind}: exit code", report.exit_code, 0)
    check.done()


CASES = [
    CustomCase("driver_reads_caption_text_and_icon", _icons),
    CustomCase("driver_answers_boxes_in_order", _answers),
    CustomCase("driver_reports_a_missing_button", _missing_button),
    CustomCase("driver_returns_full_exit_codes", _exit_codes),
    CustomCase("driver_ends_a_hung_program", _timeout),
    CustomCase("driver_reports_windows_and_processes", _windows_and_processes),
    CustomCase("driver_drives_dialogs", _dialog_steps),
    CustomCase("platform_prefixes_report_their_versions", _platform_prefixes, prefix=None),
]
