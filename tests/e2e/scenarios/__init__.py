"""Every end-to-end scenario, by name. Each module lists its cases in CASES."""

from . import driver_tool, help_box, installer_operations, platform, question

ALL = {}
for _module in (driver_tool, help_box, question, platform, installer_operations):
    for _case in _module.CASES:
        if _case.name in ALL:
            raise ValueError(f"two scenarios named {_case.name}")
        ALL[_case.name] = _case
