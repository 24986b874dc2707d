"""System programs replaced in a scenario's prefix by the command recorder
(tests/e2e/ops/command_recorder.cpp), and what the recorder saw; system DLLs replaced by
stand-ins built with it (tests/e2e/ops)."""

import os
import shutil

_RECORD = "zirel-recorded.txt"
_RECORD_EXIT = "zirel-recorded-exit.txt"
_RECORD_XML = "zirel-recorded.xml"


def _drive(session):
    return os.path.join(session.prefix.path, "drive_c")


def replace(session, program, *exit_codes):
    """Puts the recorder in place of `program` ("regini.exe") in every system folder of the
    prefix (system32, and syswow64 in a 64-bit one). Its runs end with the `exit_codes` in
    turn, the last for every later run too; with 0 when none is given."""
    _put(session, program, os.path.join(session.layout.build_dir, "command_recorder.exe"))
    if any(exit_codes):
        with open(os.path.join(_drive(session), _RECORD_EXIT), "w", encoding="ascii") as out:
            out.write(" ".join(str(code) for code in exit_codes))


def replace_library(session, library):
    """Puts the stand-in built for `library` ("rstrtmgr.dll", from the build directory's
    stand-ins folder) in its place in every system folder of the prefix."""
    _put(session, library, os.path.join(session.layout.build_dir, "stand-ins", library))


def _put(session, name, source):
    """The files replaced are links shared with the golden prefix: unlinked first, never
    written. Wine runs its built-in program or DLL for a file of the system folder unless told
    to load the file itself (a DLL's override is named without ".dll")."""
    for folder in ("system32", "syswow64"):
        target = os.path.join(_drive(session), "windows", folder, name)
        if os.path.exists(target):
            os.unlink(target)
            shutil.copy(source, target)
    override = name[:-4] if name.lower().endswith(".dll") else name
    session.prefix.set_registry(r"HKCU\Software\Wine\DllOverrides", override, "native")


def remove(session, program):
    """Takes `program` out of every system folder of the prefix: a Windows without it."""
    for folder in ("system32", "syswow64"):
        target = os.path.join(_drive(session), "windows", folder, program)
        if os.path.exists(target):
            os.unlink(target)


def runs(session):
    """(command line, current directory, program file) of every run of the recorder, in
    order. The program file tells which system folder the run came from."""
    path = os.path.join(_drive(session), _RECORD)
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as source:
        return [tuple(line.rstrip("\n").split("\t")) for line in source]


def last_xml(session):
    """The content of the last file given to a recorder run as "/xml FILE", or None."""
    path = os.path.join(_drive(session), _RECORD_XML)
    if not os.path.exists(path):
        return None
    with open(path, "rb") as source:
        return source.read()
