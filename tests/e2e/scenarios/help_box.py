"""The help box: which command lines bring it up, and its exact text."""

from harness import texts
from harness.checks import Box

from .cases import LauncherCase


def _help(csp=False, ucsp=False):
    return Box(texts.HELP_CAPTION, texts.help_text(csp=csp, ucsp=ucsp), "information", ("ok",),
               "ok")


# (scenario, command-line text, -csp seen before the help, -ucsp seen before the help)
_ROWS = [
    ("help_dash_help", "-help", False, False),
    ("help_double_dash_help", "--help", False, False),
    ("help_slash_help_upper_case", "/HELP", False, False),
    ("help_question_mark", "-?", False, False),
    ("help_unknown_token", "-frobnicate", False, False),
    ("help_after_csp_lists_csp_options", "-csp -help", True, False),
    ("help_before_csp_lists_no_csp_options", "-help -csp", False, False),
    ("help_after_ucsp_lists_ucsp_option", "-ucsp /?", False, True),
    ("help_for_missing_value_lists_all", "-ucsp -csp -ZirelArgs", True, True),
    ("help_for_cspargs_before_csp", "-CSPArgs X -csp", False, False),
    ("help_for_kc_without_csp", "-ucsp -KC kc1", False, True),
]

CASES = [LauncherCase(name, args, [_help(csp, ucsp)], 0) for name, args, csp, ucsp in _ROWS]
