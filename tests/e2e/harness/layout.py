"""Where the harness finds the programs and keeps its prefixes, reports and logs."""

import os


class Layout:
    def __init__(self, build_dir, source_dir, name="e2e"):
        self.build_dir = os.path.abspath(build_dir)
        self.source_dir = os.path.abspath(source_dir)
        # Golden prefixes of this run, and the scenario copies while they run.
        self.run_dir = os.path.join(self.build_dir, name + "-run")
        # Reports and logs of the last run of each scenario, kept after the run.
        self.logs_dir = os.path.join(self.build_dir, name + "-logs")

    @property
    def driver_exe(self):
        return os.path.join(self.build_dir, "e2e_driver.exe")

    @property
    def launcher_exe(self):
        return os.path.join(self.build_dir, "zirelpluginsetup.exe")

    @property
    def sample_exe(self):
        return os.path.join(self.build_dir, "e2e_box_sample.exe")

    def scenario_logs(self, name):
        return os.path.join(self.logs_dir, name)
