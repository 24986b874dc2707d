"""The confirmation question chosen by the provider options, answered No."""

from harness import texts
from harness.checks import Box

from .cases import LauncherCase


def _question(string_id):
    return Box(texts.STRINGS[texts.CAPTION], texts.STRINGS[string_id], "none", ("yes", "no"),
               "no")


# (scenario, command-line text, question id)
_ROWS = [
    ("question_plugin_only_no_arguments", "", 103),
    ("question_plugin_only_with_plugin_args", "-ZirelArgs A=1", 103),
    ("question_csp", "-csp", 102),
    ("question_ucsp", "-ucsp", 122),
    ("question_csp_and_ucsp", "-csp -ucsp", 125),
    ("question_ucsp_and_csp_any_case", "-UCSP -Csp", 125),
    ("question_select_dialog_without_csp", "-selectDlg -ucsp", 122),
]

CASES = [LauncherCase(name, args, [_question(sid)], 0) for name, args, sid in _ROWS]
