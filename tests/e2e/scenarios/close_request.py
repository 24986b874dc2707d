"""The programs that hold the installed plug-in's files, and the question to their users before
its removal (-askclose, -maxdefer). Wine's Restart Manager never lists a process and its
WTSSendMessageW shows nothing, so both DLLs are stand-ins here (tests/e2e/ops/holders_script.h):
a scenario scripts who holds which file, each user session's state and its user's answer, and
reads back what the launcher registered and asked. Every Wine process runs in session 1."""

import datetime
import json
import os
import re
import shutil
import time
from dataclasses import dataclass

from harness import checks, texts
from harness.checks import Box
from harness.run_log import expect_lines, take_lines
from harness.session import Session

from . import installer_fixtures as fixtures
from . import stand_ins
from .installer_operations import run_windows_program
from .plugin_install import QUESTION_YES, installed, resume_folders
from .resume import PLUGIN_FILES

_SCRIPT = r"C:\zirel-holders.txt"
_RECORD = r"C:\zirel-holders-record.txt"
_KEY = r"HKLM\SOFTWARE\Wow6432Node\zirelpluginsetup"
_PACKAGE = "zirelcom-x64.msi"

POSTPONED = Box(texts.STRINGS[texts.CAPTION], texts.STRINGS[148], "information", ("ok",), "ok")

# MB_YESNO | MB_ICONQUESTION and MB_OK | MB_ICONWARNING, each with MB_TOPMOST | MB_SETFOREGROUND.
_YES_NO = 0x50024
_OK_ONLY = 0x50030

# Holder lines: process, session, RM_APP_TYPE, when it lets go, the file it holds, its name.
BROWSER = "holder 4321 1 1 never core.txt Браузер Север"
SERVICE = "holder 612 0 3 never vivazed.txt ZirelSync"


@dataclass
class CloseCase:
    """plugin-1.0.0 installed, plugin-2.0.0 in the distribution, the stand-ins running `script`
    (holder and session lines). One launch with `args`, showing `boxes`, ending with
    `exit_code`; it upgrades the plug-in exactly when it ends with 0.

    asked: (style, timeout seconds, postponements left) of the one message shown in session 1,
    to the users of BROWSER, or None when nobody may be asked; with 0 left the message says that
    postponing is no longer possible;
    earlier: (seconds ago, postponements used) of a postponement value of 2.0.0 kept before;
    kept: the postponements used that the value left afterwards holds; None: no value, no key;
    queries: how many Restart Manager sessions the launch opens (None: not counted);
    waits: the least seconds after the launch at which the removal starts;
    retry: the same launch once more at once, which must end alike without asking anybody;
    log: patterns of its log lines in order, the last one matching the last line."""
    name: str
    script: tuple
    args: str
    exit_code: int
    asked: tuple = None
    boxes: tuple = ()
    earlier: tuple = None
    kept: int = None
    queries: int = None
    waits: int = 0
    retry: bool = False
    log: tuple = ()

    def run(self, layout, prefixes):
        env = {"ZIREL_HOLDERS_SCRIPT": _SCRIPT}
        with Session(layout, prefixes, self.name, env=env) as session:
            fixtures.install_beforehand(session, "plugin-1.0.0", _PACKAGE)
            fixtures.put_distribution(session, {"plugin": "plugin-2.0.0"})
            for library in ("rstrtmgr.dll", "wtsapi32.dll"):
                stand_ins.replace_library(session, library)
            stand_ins.replace(session, "schtasks.exe")
            with open(_host(session, _SCRIPT), "w", encoding="utf-8") as out:
                out.write("".join(line + "\n" for line in (f"record {_RECORD}", *self.script)))
            if self.earlier is not None:
                ago, used = self.earlier
                then = int(time.time()) - ago
                session.prefix.set_registry(_KEY, "Postponement", f"2.0.0;{then};{then};{used}")
            since = int(time.time())
            try:
                kept = self._launch(session, 1, since, None)
                if self.retry:
                    self._launch(session, 2, since, kept)
            finally:
                if os.path.exists(_host(session, _RECORD)):
                    shutil.copy(_host(session, _RECORD), session.logs)

    def _launch(self, session, number, since, previous):
        """Runs the launcher once and checks it; returns the postponement value's (first, last)
        times."""
        before = _record(session)
        report = session.launch(self.args, answers=checks.box_answers(self.boxes),
                                timeout_ms=(self.waits + 60) * 1000)
        check = checks.Checker(report, f"run {number}: ")
        checks.expect_ran(check, self.exit_code)
        checks.expect_boxes(check, list(self.boxes))
        upgraded = self.exit_code == 0
        check.equal("child processes", [p.get("exe", "").lower() for p in report.processes],
                    ["msiexec.exe"] * (2 if upgraded else 0))
        fixtures.expect_product(check, session, fixtures.PLUGIN_CODE,
                                installed("2.0.0" if upgraded else "1.0.0", _PACKAGE))
        check.equal("schtasks runs", stand_ins.runs(session), [])
        check.equal("resume folders", resume_folders(session), [])
        if self.waits:
            started = [p.get("t") for p in report.processes]
            check.true(f"the removal started {self.waits} s after the launch or later: {started}",
                       started and started[0] >= self.waits * 1000)
        calls = _record(session)[len(before):]
        _expect_restart_manager(check, calls, 1 if number > 1 else self.queries)
        _expect_messages(check, calls, None if number > 1 else self.asked)
        kept = _expect_postponement(check, session, self.kept, since, previous)
        if self.log:
            expect_lines(check, session, self.log, lines=take_lines(check, session, number))
        else:
            take_lines(check, session, number)
        check.done()
        return kept


def _host(session, path):
    return os.path.join(session.prefix.path, "drive_c", path[3:])


def _record(session):
    path = _host(session, _RECORD)
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as source:
        return [json.loads(line) for line in source]


def _expect_restart_manager(check, calls, queries):
    """Every Restart Manager session registers the plug-in's two files in one call, lists and
    ends; `queries`, when given, is how many sessions there are."""
    sessions = [c for c in calls if c["call"] == "RmStartSession"]
    if queries is not None:
        check.equal("Restart Manager sessions", len(sessions), queries)
    for call in sessions:
        handle = call.get("handle")
        own = [(c["call"], c.get("fileCount"), c.get("files"), c["result"]) for c in calls
               if c.get("handle") == handle and c["call"] != "RmGetList"]
        check.equal(f"Restart Manager session {handle}", own, [
            ("RmStartSession", None, None, 0), ("RmRegisterResources", 2, PLUGIN_FILES, 0),
            ("RmEndSession", None, None, 0)])
        check.true(f"Restart Manager session {handle} lists its holders",
                   any(c["call"] == "RmGetList" and c.get("handle") == handle and
                       c["result"] == 0 for c in calls))


def _expect_messages(check, calls, asked):
    """The messages sent: one to session 1 when `asked`, none otherwise; every session state
    read is freed."""
    queries = [c for c in calls if c["call"] == "WTSQuerySessionInformationW"]
    check.equal("session states read, each of session 1 with WTSSessionInfoEx",
                [(c["session"], c["class"]) for c in queries], [(1, 25)] * len(queries))
    check.equal("session states freed", sum(c["call"] == "WTSFreeMemory" for c in calls),
                len(queries))
    sent = [c for c in calls if c["call"] == "WTSSendMessageW"]
    if asked is None:
        check.equal("messages sent", sent, [])
        return
    if not check.equal("messages sent", len(sent), 1):
        return
    style, timeout, left = asked
    message = sent[0]
    title = texts.STRINGS[texts.CAPTION]
    check.equal("message", {k: message[k] for k in ("session", "title", "titleLength", "style",
                                                     "timeout")},
                {"session": 1, "title": title, "titleLength": 2 * len(title), "style": style,
                 "timeout": timeout})
    # The time the question ends, from the clock when it was sent (a second earlier too: the
    # launcher reads the clock just before).
    clock = datetime.datetime.strptime(message["clock"], "%H:%M:%S")
    expected = {_question(["Браузер Север"], left,
                          clock + datetime.timedelta(seconds=timeout - early))
                for early in (0, 1)}
    check.true(f"message text {message['text']!r} is one of {sorted(expected)!r}",
               message["text"] in expected)
    check.equal("message text length, in bytes", message["textLength"], 2 * len(message["text"]))


def _question(names, left, until):
    text = texts.STRINGS[144] + "".join("\n    " + name for name in names) + "\n\n"
    if left:
        text += f"{texts.STRINGS[145]} {left}.\n{texts.STRINGS[147]}"
    else:
        text += texts.STRINGS[146]
    return text + until.strftime(" %H:%M") + "."


def _expect_postponement(check, session, used, since, previous):
    """The postponement value in the 32-bit view: "2.0.0;<first>;<last>;<used>" with both times
    between `since` (seconds since 1970) and now; after a `previous` (first, last), the same
    first and a last no earlier. None: no launcher's key at all. Returns (first, last)."""
    status, output = run_windows_program(session, ["reg", "query", _KEY])
    if used is None:
        check.true(f"no launcher's key {_KEY}: {output!r}", status != 0)
        return None
    found = re.search(r"^ +Postponement +REG_SZ +2\.0\.0;(\d+);(\d+);(\d+)\r?$", output, re.M)
    if not check.true(f"a postponement value for 2.0.0: {output!r}", found):
        return None
    first, last, declined = (int(x) for x in found.groups())
    check.true(f"postponement times {first}, {last} between {since} and now",
               since <= first <= last <= time.time())
    if previous is not None:
        check.equal("first postponement time after the retry", first, previous[0])
        check.true(f"last postponement time {last} not before {previous[1]}", last >= previous[1])
    check.equal("postponements used", declined, used)
    return first, last


_ASK = "-silent -askclose 5"

CASES = [
    # Without -askclose nobody is asked: the holders are only logged, and the removal goes on.
    CloseCase("holders_logged_without_askclose", (BROWSER, SERVICE, "session 1 active yes"),
              "-silent", 0, queries=1,
              log=(r'file holder: "Браузер Север", process 4321, session 1',
                   r'file holder: "ZirelSync", process 612, session 0, not a user\'s program',
                   r"run: msiexec /qn /x \{B5290F4D-7E3A-46C1-8D95-0A6F2C8E13B7\} REBOOT=R",
                   "exit code 0")),
    # The user closes the browser: the upgrade goes on at once, without a restart, and the
    # postponement of an earlier run (two hours ago, one of three used) is forgotten.
    CloseCase("askclose_user_closes_the_programs",
              (BROWSER.replace(" never ", " yes "), "session 1 active yes"), _ASK, 0,
              asked=(_YES_NO, 300, 2), earlier=(7200, 1)),
    # Нет postpones: nothing is removed, and a run within the hour asks nobody.
    CloseCase("askclose_user_postpones", (BROWSER, "session 1 active no"), "-askclose 5", 1618,
              asked=(_YES_NO, 300, 3), boxes=(QUESTION_YES, POSTPONED), kept=1, retry=True),
    # Postponing is no longer offered: the message only says until when, and the removal goes
    # on once that minute is up.
    CloseCase("askclose_no_postponement_left_removes_after_the_time",
              (BROWSER, "session 1 active ok"), "-silent -maxdefer 0 -askclose 1", 0,
              asked=(_OK_ONLY, 60, 0), waits=60),
    CloseCase("askclose_nothing_held", ("session 1 active no",), _ASK, 0, queries=1),
    CloseCase("askclose_only_a_service_holds", (SERVICE, "session 1 active no"), _ASK, 0,
              queries=1),
    # Nobody at a locked session can answer: postponed at once, no postponement used.
    CloseCase("askclose_locked_session_postpones", (BROWSER, "session 1 locked yes"), _ASK,
              1618, kept=0),
    CloseCase("askclose_bad_minutes", (BROWSER, "session 1 active yes"), "-silent -askclose 31",
              1639, queries=0),
]
