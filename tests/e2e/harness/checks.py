"""Expectations about one launch, collected so that a failure lists every difference."""

from dataclasses import dataclass


class ScenarioFailure(AssertionError):
    pass


@dataclass(frozen=True)
class Box:
    """A message box as it must appear, and the button that the driver presses."""
    caption: str
    text: str
    icon: str  # "none", "error", "information", "warning", "question"
    buttons: tuple
    answer: str


def _first_difference(actual, expected):
    for index, (a, e) in enumerate(zip(actual, expected)):
        if a != e:
            return index
    return min(len(actual), len(expected))


class Checker:
    """`label` goes in front of every failure (for instance which run of a scenario it is)."""

    def __init__(self, report, label=""):
        self.report = report
        self.label = label
        self.failures = []

    def fail(self, message):
        self.failures.append(self.label + message)

    def equal(self, what, actual, expected):
        if actual == expected:
            return True
        if isinstance(actual, str) and isinstance(expected, str):
            at = _first_difference(actual, expected)
            self.fail(f"{what}: differs at character {at}\n"
                      f"      got      {actual!r}\n      expected {expected!r}")
        else:
            self.fail(f"{what}: got {actual!r}, expected {expected!r}")
        return False

    def true(self, what, condition):
        if not condition:
            self.fail(what)
        return bool(condition)

    def done(self):
        if self.failures:
            summary = [self.report.summary()] if self.report is not None else []
            raise ScenarioFailure("\n".join(["- " + f for f in self.failures] + summary))


def expect_ran(check, exit_code):
    """The program started, ended by itself within the time limit with `exit_code`."""
    report = check.report
    check.true("the driver finished its report (was the prefix restarted?)", report.finished)
    check.true("the program started", report.started)
    check.true("the program ended by itself before the time limit", not report.timeout)
    check.equal("driver error", report.driver_error, "")
    check.equal("exit code", report.exit_code, exit_code)


def expect_boxes(check, boxes):
    """Exactly these message boxes, in this order, each answered as scripted."""
    seen = check.report.boxes
    check.equal("number of message boxes", len(seen), len(boxes))
    for index, (got, want) in enumerate(zip(seen, boxes)):
        where = f"box {index + 1}"
        check.equal(f"{where} caption", got.get("caption"), want.caption)
        check.equal(f"{where} text", got.get("text"), want.text)
        check.equal(f"{where} icon", got.get("icon"), want.icon)
        check.equal(f"{where} buttons", tuple(got.get("buttons", ())), tuple(want.buttons))
        check.equal(f"{where} answer", got.get("answer"), want.answer)
        check.equal(f"{where} answer error", got.get("answerError"), "")


def expect_no_dialog(check):
    check.equal("dialogs other than message boxes", check.report.dialogs, [])


def expect_no_visible_window(check):
    """No window of the program other than its message boxes was ever visible (no progress
    window, nothing else)."""
    shown = [w for w in check.report.windows if w.get("visible")]
    check.equal("visible windows besides message boxes", shown, [])


def expect_no_child_process(check):
    check.equal("child processes", check.report.processes, [])


def expect_windows_version(check, version):
    """The prefix reports the Windows version the scenario was built for."""
    check.equal("Windows version of the prefix (major, minor, service pack)",
                check.report.windows_version, tuple(version))


def box_answers(boxes):
    return [box.answer for box in boxes]
