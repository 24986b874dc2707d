"""The driver's report of one launch, as read back by the harness."""

import json


class Report:
    def __init__(self, data, path):
        self.data = data
        self.path = path

    @classmethod
    def load(cls, path):
        try:
            with open(path, encoding="utf-8") as source:
                return cls(json.load(source), path)
        except FileNotFoundError:
            return cls({"finished": False, "started": False, "events": [],
                        "driverError": "the driver wrote no report"}, path)

    finished = property(lambda self: bool(self.data.get("finished")))
    started = property(lambda self: bool(self.data.get("started")))
    timeout = property(lambda self: bool(self.data.get("timeout")))
    exit_code = property(lambda self: self.data.get("exitCode"))
    driver_error = property(lambda self: self.data.get("driverError", ""))
    events = property(lambda self: self.data.get("events", []))

    @property
    def windows_version(self):
        version = self.data.get("windowsVersion")
        return tuple(version) if version is not None else None

    def of_type(self, kind):
        return [event for event in self.events if event.get("type") == kind]

    boxes = property(lambda self: self.of_type("box"))
    dialogs = property(lambda self: self.of_type("dialog"))
    windows = property(lambda self: self.of_type("window"))
    processes = property(lambda self: self.of_type("process"))

    def summary(self):
        lines = [f"report {self.path}: finished={self.finished} started={self.started} "
                 f"timeout={self.timeout} exitCode={self.exit_code} "
                 f"windowsVersion={self.windows_version} driverError={self.driver_error!r}"]
        for event in self.events:
            lines.append("  " + json.dumps(event, ensure_ascii=False))
        return "\n".join(lines)
