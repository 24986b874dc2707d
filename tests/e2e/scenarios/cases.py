"""Scenario shapes shared by the scenario modules."""

from dataclasses import dataclass, field

from harness import checks
from harness.checks import Box
from harness.prefixes import expected_version
from harness.session import Session


@dataclass
class LauncherCase:
    """One launch of the launcher: its command-line text, the message boxes it must show
    (each answered with its Box.answer), and its exit code. Nothing else may happen: no other
    dialog, no visible window besides the boxes, no child process."""
    name: str
    args: str
    boxes: list
    exit_code: int
    prefix: str = "win64"

    def run(self, layout, prefixes):
        with Session(layout, prefixes, self.name, kind=self.prefix) as session:
            report = session.launch(self.args, answers=checks.box_answers(self.boxes))
        check = checks.Checker(report)
        checks.expect_windows_version(check, expected_version(self.prefix))
        checks.expect_ran(check, self.exit_code)
        checks.expect_boxes(check, self.boxes)
        checks.expect_no_dialog(check)
        checks.expect_no_visible_window(check)
        checks.expect_no_child_process(check)
        check.done()


@dataclass
class CustomCase:
    """A scenario with its own steps: body(session) launches what it needs inside the session
    and raises checks.ScenarioFailure on a difference."""
    name: str
    body: object
    prefix: str = "win64"
    env: dict = field(default_factory=dict)

    def run(self, layout, prefixes):
        if self.prefix is None:
            # The body opens its own sessions.
            self.body(Bare(layout, prefixes, self.name))
            return
        with Session(layout, prefixes, self.name, kind=self.prefix, env=self.env) as session:
            self.body(session)


@dataclass
class Bare:
    layout: object
    prefixes: object
    name: str


__all__ = ["LauncherCase", "CustomCase", "Bare", "Box"]
