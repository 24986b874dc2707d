"""Every end-to-end scenario, by name. Each module lists its cases in CASES."""

from . import (close_request, config_dialog, distribution_check, driver_tool, help_box,
               installer_operations, planting, platform, plugin_install, progress_window,
               provider_install, question, resume)

ALL = {}
for _module in (driver_tool, help_box, question, platform, installer_operations,
                progress_window, config_dialog, provider_install, plugin_install, planting,
                resume, close_request, distribution_check):
    for _case in _module.CASES:
        if _case.name in ALL:
            raise ValueError(f"two scenarios named {_case.name}")
        ALL[_case.name] = _case
