"""Dialog 141 (-csp -selectDlg): the preset language follows the system's interface language,
the options button switches between the information and the option groups, "Далее" appends
the choice to the package pattern, "Отмена" and the close box end the run with nothing
installed and no progress window."""

import os
import shutil
from dataclasses import dataclass

from harness import checks, texts
from harness.session import Session

from . import progress_window as progress
from .cases import CustomCase

TITLE = "RODOzado"
OPTIONS = 1015
NEXT = 140
CANCEL = 2
RUSSIAN, ENGLISH, KC1, KC2, KC3 = 1006, 1007, 1008, 1009, 1010

TEXTS = {
    NEXT: "Далее",
    CANCEL: "Отмена",
    RUSSIAN: "Русский",
    ENGLISH: "English",
    KC1: "KC1",
    KC2: "KC2",
    KC3: "KC3",
    1012: "Язык установки:",
    1013: "Уровень безопасности:",
}
INFORMATION_TAIL = (
    "\n\nБлагодарим за выбор Vestacor CSP.\n"
    "Для продолжения установки нажимте \"Далее\",\n"
    "для установки специфических настроек - \"Опции\".\n"
    "Если вы не знаете, что выбирать, нажмите \"Далее\".")

# Controls shown in each view, and the options button's caption there.
INFORMATION_VIEW = ({NEXT, CANCEL, 1011, 1014, OPTIONS}, texts.STRINGS[143])
OPTIONS_VIEW = ({NEXT, CANCEL, RUSSIAN, ENGLISH, KC1, KC2, KC3, 1012, 1013, OPTIONS},
                texts.STRINGS[142])

# LC_ALL of the launcher's Wine, and the interface language that Wine then reports.
RUSSIAN_RUSSIA = {"LC_ALL": "ru_RU.UTF-8"}  # 0x0419
RUSSIAN_MOLDOVA = {"LC_ALL": "ru_MD.UTF-8"}  # 0x0819
NEUTRAL = {}  # C.UTF-8: 0x0409

QUESTION_YES = progress.question(102, "yes")
DONE = progress.done(109)


def expect_view(check, event, where, view, checked):
    """A dialog report shows `view` (INFORMATION_VIEW or OPTIONS_VIEW) with exactly the radio
    buttons `checked` checked, and every control with its text and class."""
    shown, caption = view
    check.equal(f"{where}: title", event.get("title"), TITLE)
    controls = {c["id"]: c for c in event.get("controls", [])}
    check.equal(f"{where}: control ids", sorted(controls),
                sorted([NEXT, CANCEL, RUSSIAN, ENGLISH, KC1, KC2, KC3, 1011, 1012, 1013, 1014,
                        OPTIONS]))
    check.equal(f"{where}: visible controls",
                sorted(i for i, c in controls.items() if c.get("visible")), sorted(shown))
    check.equal(f"{where}: checked buttons",
                sorted(i for i, c in controls.items() if c.get("checked") == 1), sorted(checked))
    check.equal(f"{where}: options button", controls.get(OPTIONS, {}).get("text"), caption)
    for control_id, text in TEXTS.items():
        check.equal(f"{where}: text of {control_id}", controls.get(control_id, {}).get("text"),
                    text)
    maker = controls.get(1011, {}).get("text", "")
    check.true(f"{where}: group 1011 names the maker ({maker!r})",
               maker.startswith("Vestacor - ") and len(maker) > len("Vestacor - "))
    information = controls.get(1014, {}).get("text", "")
    check.true(f"{where}: information text ({information!r})",
               information.endswith(INFORMATION_TAIL)
               and "\n" not in information[:-len(INFORMATION_TAIL)])
    check.equal(f"{where}: classes",
                sorted({(c.get("class"), i == 1014) for i, c in controls.items()}),
                [("Button", False), ("Static", True)])


def _dialog_reports(check, report, steps):
    dialogs = report.dialogs
    check.equal("dialog reports", [d.get("step") for d in dialogs], steps)
    return dialogs if len(dialogs) == len(steps) else None


def _views_and_choice(session):
    """Русский preset; options view, KC3 and English chosen, back to the information view,
    "Далее": the KC3 English package is installed, then the slowed-down plug-in under a
    progress window titled for the CSP."""
    progress.put_distribution(session, {"plugin": "plugin-2.0.0", "csp": "csp-3.6.7000"},
                              slow=("plugin",))
    shots = os.path.join(session.logs, "shots")
    photographer = progress.ProgressPhotographer(session, shots)
    steps = (f"click:{OPTIONS},snapshot,wait:1200,click:{KC3},click:{ENGLISH},snapshot,"
             f"click:{OPTIONS},snapshot,click:{NEXT}")
    boxes = [QUESTION_YES, DONE]
    report = session.launch("-csp -selectDlg", answers=checks.box_answers(boxes),
                            dialogs=[steps], shots_dir=shots, watch=photographer)
    check = checks.Checker(report)
    checks.expect_ran(check, 0)
    checks.expect_boxes(check, boxes)
    dialogs = _dialog_reports(check, report, ["shown", "snapshot", "snapshot", "snapshot"])
    if dialogs:
        expect_view(check, dialogs[0], "at start", INFORMATION_VIEW, [RUSSIAN, KC1])
        expect_view(check, dialogs[1], "options pressed", OPTIONS_VIEW, [RUSSIAN, KC1])
        expect_view(check, dialogs[2], "KC3 and English chosen", OPTIONS_VIEW, [ENGLISH, KC3])
        expect_view(check, dialogs[3], "options pressed again", INFORMATION_VIEW,
                    [ENGLISH, KC3])
        last_dialog = report.events.index(dialogs[3])
        progress.expect_progress_window(check, report, texts.STRINGS[113], photographer,
                                        last_dialog, 2)
    progress.expect_installed(check, session, progress.CSP_CODE, "csp-x64-kc3-eng.msi")
    progress.expect_installed(check, session, progress.PLUGIN_CODE, "zirelcom-x64.msi")
    check.done()
    _name_shots(shots)


def _name_shots(shots):
    """Copies the photographs that show each window at its best under the names used in
    docs/screenshots (the later snapshots are taken after the dialog has moved on)."""
    for source, name in (("window-1.png", "question.png"),
                         ("window-2.png", "dialog-information.png"),
                         ("window-3.png", "dialog-options.png"),
                         ("progress-1.png", "progress.png"),
                         ("window-6.png", "outcome.png")):
        shutil.copyfile(os.path.join(shots, source), os.path.join(shots, name))


@dataclass
class NextAtOnceCase:
    """"Далее" pressed at once: the language preset by the system's interface language and
    KC1 choose the package."""
    name: str
    env: dict
    checked_language: int
    package: str

    def run(self, layout, prefixes):
        with Session(layout, prefixes, self.name, env=self.env) as session:
            progress.put_distribution(session, {"plugin": "plugin-2.0.0",
                                                "csp": "csp-3.6.7000"})
            boxes = [QUESTION_YES, DONE]
            report = session.launch("-csp -selectDlg", answers=checks.box_answers(boxes),
                                    dialogs=[f"click:{NEXT}"])
            check = checks.Checker(report)
            checks.expect_ran(check, 0)
            checks.expect_boxes(check, boxes)
            dialogs = _dialog_reports(check, report, ["shown"])
            if dialogs:
                expect_view(check, dialogs[0], "at start", INFORMATION_VIEW,
                            [self.checked_language, KC1])
            progress.expect_installed(check, session, progress.CSP_CODE, self.package)
            progress.expect_installed(check, session, progress.PLUGIN_CODE, "zirelcom-x64.msi")
            check.done()


def _after_command_line_values(session):
    """The dialog's fragments follow the -KC and -Lang values: the pattern ends in
    "*kc2*kc1**rus*eng* ", which only a package named for both levels and both languages
    matches (a pattern whose values were replaced would find kc1 eng first)."""
    progress.put_distribution(session, {"plugin": "plugin-2.0.0", "csp": "csp-3.6.7000"})
    csp = os.path.join(session.workdir, "csp")
    shutil.copyfile(os.path.join(csp, "csp-x64-kc1-eng.msi"),
                    os.path.join(csp, "csp-x64-kc2-kc1-rus-eng.msi"))
    boxes = [QUESTION_YES, DONE]
    report = session.launch("-csp -KC kc2 -Lang rus -selectDlg",
                            answers=checks.box_answers(boxes), dialogs=[f"click:{NEXT}"])
    check = checks.Checker(report)
    checks.expect_ran(check, 0)
    checks.expect_boxes(check, boxes)
    dialogs = _dialog_reports(check, report, ["shown"])
    if dialogs:
        expect_view(check, dialogs[0], "at start", INFORMATION_VIEW, [ENGLISH, KC1])
    progress.expect_installed(check, session, progress.CSP_CODE, "csp-x64-kc2-kc1-rus-eng.msi")
    progress.expect_installed(check, session, progress.PLUGIN_CODE, "zirelcom-x64.msi")
    check.done()


def _ended(steps):
    """The dialog ended by `steps`: exit code 0 after the question alone, no progress window,
    no child process, nothing installed."""

    def body(session):
        progress.put_distribution(session, {"plugin": "plugin-2.0.0", "csp": "csp-3.6.7000"})
        boxes = [QUESTION_YES]
        report = session.launch("-csp -selectDlg", answers=checks.box_answers(boxes),
                                dialogs=[steps])
        check = checks.Checker(report)
        checks.expect_ran(check, 0)
        checks.expect_boxes(check, boxes)
        _dialog_reports(check, report, ["shown"])
        check.equal("windows besides the box and the dialog",
                    [e for e in report.events if e.get("type") in ("window", "window-gone")],
                    [])
        checks.expect_no_child_process(check)
        progress.expect_installed(check, session, progress.CSP_CODE, None)
        progress.expect_installed(check, session, progress.PLUGIN_CODE, None)
        check.done()

    return body


CASES = [
    CustomCase("config_dialog_views_and_kc3_english_choice", _views_and_choice,
               env=RUSSIAN_RUSSIA),
    NextAtOnceCase("config_dialog_next_at_once_russian_russia", RUSSIAN_RUSSIA, RUSSIAN,
                   "csp-x64-kc1-rus.msi"),
    NextAtOnceCase("config_dialog_next_at_once_russian_moldova", RUSSIAN_MOLDOVA, ENGLISH,
                   "csp-x64-kc1-eng.msi"),
    NextAtOnceCase("config_dialog_next_at_once_english", NEUTRAL, ENGLISH,
                   "csp-x64-kc1-eng.msi"),
    CustomCase("config_dialog_appends_after_command_line_values", _after_command_line_values),
    CustomCase("config_dialog_cancel_ends_the_run", _ended(f"click:{CANCEL}")),
    CustomCase("config_dialog_close_box_ends_the_run", _ended("close")),
]
