"""The launcher's run log in a scenario's prefix: its lines, and lines expected in order."""

import glob
import os
import re
import shutil

from . import wine


def launcher_pid(report):
    """The launcher's process id, as the parent of the programs it started; None without any."""
    pids = {p.get("pid") for p in report.processes}
    parents = {p.get("parent") for p in report.processes if p.get("parent") not in pids}
    return parents.pop() if len(parents) == 1 else None


def _logs(session):
    return glob.glob(os.path.join(session.prefix.path, "drive_c", "users", "*", "**",
                                  "zirelpluginsetup_*.log"), recursive=True)


def take_lines(check, session, number):
    """read_lines of a session that runs the launcher several times: the log then moves into
    the scenario's logs as zirelpluginsetup-<number>.log, leaving room for the next run's."""
    lines = read_lines(check, session)
    for path in _logs(session):
        shutil.move(path, os.path.join(session.logs, f"zirelpluginsetup-{number}.log"))
    return lines


def read_lines(check, session, pid=None):
    """The lines of the launcher's log in the prefix's temporary folder, without the elapsed
    milliseconds in front. The checker is told when there is not exactly one log, when its name
    is not zirelpluginsetup_<yyyyMMdd_HHmmss>_<pid>.log with the launcher's process id `pid`
    (any number when None), or when it is not UTF-8 with a byte-order mark and CR LF line ends."""
    found = _logs(session)
    if not check.equal("run logs in the temporary folder", len(found), 1):
        return []
    check.true(f"run log named after the time and the launcher's process id {pid}: "
               f"{os.path.basename(found[0])}",
               re.fullmatch(r"zirelpluginsetup_\d{8}_\d{6}_" + (str(pid) if pid else r"\d+") +
                            r"\.log", os.path.basename(found[0])))
    shutil.copy(found[0], os.path.join(session.logs, "zirelpluginsetup.log"))
    with open(found[0], "rb") as source:
        data = source.read()
    check.true("run log starts with the UTF-8 byte-order mark", data.startswith(b"\xef\xbb\xbf"))
    text = data[3:].decode("utf-8")
    check.true("run log lines end with CR LF", text.endswith("\r\n") and
               text.count("\n") == text.count("\r\n"))
    lines = text.split("\r\n")[:-1]
    check.true("run log lines start with the elapsed milliseconds",
               all(re.match(r" *\d+ ", line) for line in lines))
    return [re.sub(r"^ *\d+ ", "", line) for line in lines]


def expect_lines(check, session, expected, pid=None, lines=None):
    """Each pattern of `expected` matches a whole line of the run's log (or of `lines`), in this
    order (other lines may come between them), and the last pattern the last line. `pid` as for
    read_lines."""
    lines = read_lines(check, session, pid) if lines is None else lines
    work = re.escape(wine.windows_path(session.workdir))
    at = 0
    for pattern in expected:
        pattern = pattern.replace("{work}", work)
        while at < len(lines) and not re.fullmatch(pattern, lines[at]):
            at += 1
        if not check.true(f"run log line matching {pattern!r} in its place", at < len(lines)):
            return
        at += 1
    check.equal("run log: last line", at, len(lines))
