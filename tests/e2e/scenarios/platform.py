"""Windows versions and service packs below the minimum, in 32-bit prefixes made to report
them; the boxes are the same with -silent only for Windows older than 2000."""

import os
import re

from harness import texts
from harness.checks import Box

from .cases import LauncherCase

_SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))))


def _too_old_exit_code():
    """The launcher's exit code for Windows older than 2000, as its sources define it."""
    with open(os.path.join(_SOURCE_DIR, "src", "common", "exit_codes.h"),
              encoding="utf-8") as header:
        match = re.search(r"kExitPlatformTooOld\s*=\s*(\d+)", header.read())
    if match is None:
        raise RuntimeError("kExitPlatformTooOld not found in src/common/exit_codes.h")
    code = int(match.group(1))
    # It must be told apart from success and from every other refusal of the run.
    if code in (0, 1, 2, 3, 4, 5, 7):
        raise RuntimeError(f"kExitPlatformTooOld is {code}, a code that means something else")
    return code


TOO_OLD = _too_old_exit_code()


def _refusal(string_id):
    return Box(texts.STRINGS[texts.CAPTION], texts.STRINGS[string_id], "error", ("ok",), "ok")


def _question(string_id):
    return Box(texts.STRINGS[texts.CAPTION], texts.STRINGS[string_id], "none", ("yes", "no"),
               "no")


# (scenario, prefix, command-line text, boxes, exit code)
_ROWS = [
    ("platform_nt40_refused", "nt40", "", [_refusal(116)], TOO_OLD),
    ("platform_nt40_refused_also_silent", "nt40", "-silent", [_refusal(116)], TOO_OLD),
    ("platform_nt40_help_comes_first", "nt40", "-help",
     [Box(texts.HELP_CAPTION, texts.help_text(), "information", ("ok",), "ok")], 0),
    ("platform_win2k_sp3_refused", "win2k_sp3", "", [_refusal(117)], 3),
    ("platform_win2k_sp3_silent", "win2k_sp3", "-silent", [], 3),
    ("platform_win2k_sp4_passes", "win2k_sp4", "", [_question(103)], 0),
    ("platform_xp_sp1_refused", "xp_sp1", "", [_refusal(118)], 4),
    ("platform_xp_sp1_silent", "xp_sp1", "-silent", [], 4),
    ("platform_xp_sp2_passes", "xp_sp2", "", [_question(103)], 0),
    ("platform_2003_sp0_refused", "2003_sp0", "", [_refusal(119)], 5),
    ("platform_2003_sp1_refused", "2003_sp1", "-csp", [_refusal(119)], 5),
    ("platform_2003_sp1_silent", "2003_sp1", "-silent -csp", [], 5),
    ("platform_2003_sp2_passes", "2003_sp2", "-csp", [_question(102)], 0),
    ("platform_32_bit_windows_7_passes", "win32", "-ucsp", [_question(122)], 0),
]

CASES = [LauncherCase(name, args, boxes, code, prefix=prefix)
         for name, prefix, args, boxes, code in _ROWS]
