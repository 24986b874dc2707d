"""The progress window while packages install: shown only after the question is answered Yes,
titled after the products, animated, at the centre of the screen, and gone before the outcome
message. Its packages are slowed down so that the window stays up for a few seconds."""

import os
import shutil
import subprocess
import tempfile
import time

from harness import checks, texts, wine
from harness.checks import Box

from .cases import CustomCase

PLUGIN_CODE = "{B5290F4D-7E3A-46C1-8D95-0A6F2C8E13B7}"
CSP_CODE = "{6E1B37A2-0C94-4D58-A1F3-2B7C9E05D841}"

# Installing a slowed-down package takes at least this long (ping waits a second per echo
# after the first).
SLOW_SECONDS = 4

# The scenario displays are 1280 by 1024: the 300 by 58 frame's corner is at 640 - 150 and
# 512 - 29.
FRAME_RECT = [490, 483, 790, 541]

_CAPTION = texts.STRINGS[texts.CAPTION]
_FIXTURE_SOURCES = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "fixtures")


def question(string_id, answer):
    return Box(_CAPTION, texts.STRINGS[string_id], "none", ("yes", "no"), answer)


def done(string_id):
    return Box(_CAPTION, texts.STRINGS[string_id], "none", ("ok",), "ok")


def put_distribution(session, subdirectories, slow=()):
    """Copies fixture sets into the launcher's directory ({subdirectory: set}); the packages of
    the subdirectories named in `slow` wait SLOW_SECONDS in an action of their own just after
    InstallInitialize when they are installed (not when they are removed)."""
    fixtures = os.path.join(session.layout.build_dir, "fixtures")
    subprocess.run([os.path.join(_FIXTURE_SOURCES, "build.sh"), fixtures], check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, timeout=300)
    for subdirectory, package_set in subdirectories.items():
        target = os.path.join(session.workdir, subdirectory)
        shutil.copytree(os.path.join(fixtures, "packages", package_set), target)
        if subdirectory in slow:
            for name in os.listdir(target):
                _slow_down(os.path.join(target, name))


def _slow_down(msi):
    wait = f'"[SystemFolder]ping.exe" -n {SLOW_SECONDS + 1} 127.0.0.1'
    for query in (
            # 98: an executable run in a directory (34), its exit code ignored (64)
            "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) "
            f"VALUES ('WaitAWhile', 98, 'TARGETDIR', '{wait}')",
            "INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) "
            "VALUES ('WaitAWhile', 'NOT REMOVE~=\"ALL\"', 1505)"):
        subprocess.run(["msibuild", msi, "-q", query], check=True, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, timeout=60)


def probe(session, *args):
    """msi_probe's output lines in the scenario's prefix (through a file, never a pipe, so
    that no Wine service can hold it open)."""
    exe = os.path.join(session.layout.build_dir, "msi_probe.exe")
    with tempfile.TemporaryFile() as output:
        subprocess.run(["wine", exe, *args], env=session.prefix.env(), stdin=subprocess.DEVNULL,
                       stdout=output, stderr=subprocess.DEVNULL, timeout=120, check=False)
        output.seek(0)
        return output.read().decode("utf-8").splitlines()


def expect_installed(check, session, code, package_name):
    """The product is installed (state 5) from the package file named `package_name`, or,
    with None, is not installed at all."""
    state = probe(session, "state", code)
    if package_name is None:
        check.equal(f"state of {code}", state, ["-1"])
        return
    check.equal(f"state of {code}", state, ["5"])
    check.equal(f"package of {code}", probe(session, "packagename", code), [package_name])


class ProgressPhotographer:
    """A `watch` for Session.launch: once the progress window is visible and has painted,
    photographs it three times, 0.4 s apart."""

    def __init__(self, session, directory):
        self.session = session
        self.directory = directory
        self.paths = []

    def __call__(self, events):
        if self.paths:
            return
        shown = [e for e in events if e.get("type") == "window" and e.get("visible")
                 and e.get("class") == "Message" and "rect" in e]
        if not shown:
            return
        os.makedirs(self.directory, exist_ok=True)
        time.sleep(0.5)
        for number in range(1, 4):
            path = os.path.join(self.directory, f"progress-{number}.png")
            self.session.screenshot(shown[0]["rect"], path)
            self.paths.append(path)
            time.sleep(0.4)

    def bar_pixels(self):
        """The raw RGB pixels inside the progress bar on each photograph: the frame's bottom
        33 rows without its borders, a few pixels in from the bar's own edge."""
        frames = []
        for path in self.paths:
            frames.append(subprocess.run(
                ["convert", path, "-gravity", "south", "-crop", "288x26+0+4", "+repage",
                 "rgb:-"], check=True, stdout=subprocess.PIPE, timeout=30).stdout)
        return frames


def expect_progress_window(check, report, title, photographer, after_event, before_box):
    """Exactly one progress frame: class "Message", the title, a progress bar, the frame's
    rectangle; first reported after the event `after_event` (an index into the events), gone
    before the box numbered `before_box`, and its photographs not all alike (the bar moves)."""
    events = report.events
    frames = [(i, e) for i, e in enumerate(events) if e.get("type") == "window"]
    check.equal("classes of the windows besides boxes and dialogs",
                sorted({e.get("class") for _, e in frames}), ["Message"])
    shown = [(i, e) for i, e in frames if e.get("visible")]
    if not check.true("the progress window was visible", shown):
        return
    # (While it is being destroyed the frame may be seen hidden and without its title.)
    check.equal("title and progress bar of the visible window",
                sorted({(e.get("title"), e.get("progressBar")) for _, e in shown}),
                [(title, True)])
    check.equal("the progress window's rectangle", shown[0][1].get("rect"), FRAME_RECT)
    check.true(f"the progress window appears after event {after_event}",
               frames[0][0] > after_event)
    gone = [i for i, e in enumerate(events)
            if e.get("type") == "window-gone" and e.get("class") == "Message"]
    boxes = [i for i, e in enumerate(events) if e.get("type") == "box"]
    if check.true("the progress window went away", gone) and len(boxes) >= before_box:
        check.true(f"the progress window is gone before box {before_box}",
                   gone[0] < boxes[before_box - 1])
    bars = photographer.bar_pixels()
    check.equal("photographs of the progress window", len(bars), 3)
    check.true("the progress bar moves between photographs", len(set(bars)) > 1)


def _plugin_progress(session):
    put_distribution(session, {"plugin": "plugin-2.0.0"}, slow=("plugin",))
    photographer = ProgressPhotographer(session, os.path.join(session.logs, "shots"))
    boxes = [question(103, "yes"), done(110)]
    report = session.launch("", answers=checks.box_answers(boxes), watch=photographer)
    check = checks.Checker(report)
    checks.expect_ran(check, 0)
    checks.expect_boxes(check, boxes)
    checks.expect_no_dialog(check)
    question_index = [i for i, e in enumerate(report.events) if e.get("type") == "box"][0]
    expect_progress_window(check, report, texts.STRINGS[114], photographer, question_index, 2)
    expect_installed(check, session, PLUGIN_CODE, "zirelcom-x64.msi")
    check.done()


def _csp_progress(session):
    put_distribution(session, {"plugin": "plugin-2.0.0", "csp": "csp-3.6.7000"},
                     slow=("plugin",))
    photographer = ProgressPhotographer(session, os.path.join(session.logs, "shots"))
    boxes = [question(102, "yes"), done(109)]
    report = session.launch("-csp -KC kc2 -Lang rus", answers=checks.box_answers(boxes),
                            watch=photographer)
    check = checks.Checker(report)
    checks.expect_ran(check, 0)
    checks.expect_boxes(check, boxes)
    checks.expect_no_dialog(check)
    question_index = [i for i, e in enumerate(report.events) if e.get("type") == "box"][0]
    expect_progress_window(check, report, texts.STRINGS[113], photographer, question_index, 2)
    expect_installed(check, session, CSP_CODE, "csp-x64-kc2-rus.msi")
    expect_installed(check, session, PLUGIN_CODE, "zirelcom-x64.msi")
    check.done()


def _answered_no(session):
    put_distribution(session, {"plugin": "plugin-2.0.0"}, slow=("plugin",))
    boxes = [question(103, "no")]
    report = session.launch("", answers=checks.box_answers(boxes))
    check = checks.Checker(report)
    checks.expect_ran(check, 0)
    checks.expect_boxes(check, boxes)
    checks.expect_no_dialog(check)
    check.equal("progress windows, shown or hidden",
                [e for e in report.events if e.get("type") in ("window", "window-gone")], [])
    checks.expect_no_child_process(check)
    expect_installed(check, session, PLUGIN_CODE, None)
    check.done()


def _failure(session):
    # A failing installation: the window is gone before the failure message.
    put_distribution(session, {"plugin": "plugin-2.0.0-fail"}, slow=("plugin",))
    photographer = ProgressPhotographer(session, os.path.join(session.logs, "shots"))
    boxes = [question(103, "yes"),
             Box(_CAPTION, f"{texts.STRINGS[106]}: 1603.", "error", ("ok",), "ok")]
    report = session.launch("", answers=checks.box_answers(boxes), watch=photographer)
    check = checks.Checker(report)
    checks.expect_ran(check, 1603)
    checks.expect_boxes(check, boxes)
    question_index = [i for i, e in enumerate(report.events) if e.get("type") == "box"][0]
    expect_progress_window(check, report, texts.STRINGS[114], photographer, question_index, 2)
    expect_installed(check, session, PLUGIN_CODE, None)
    check.done()


CASES = [
    CustomCase("progress_window_while_the_plugin_installs", _plugin_progress),
    CustomCase("progress_window_titled_for_the_csp", _csp_progress),
    CustomCase("progress_window_never_shown_when_the_question_is_answered_no", _answered_no),
    CustomCase("progress_window_gone_before_the_failure_message", _failure),
]
