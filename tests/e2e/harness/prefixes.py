"""The golden prefixes of one test run, built once (lazily, under a lock) and then copied.

A golden prefix never runs the program under test: every scenario works in its own copy, so a
restart of Windows inside a scenario (which ends every process of its prefix) or anything the
scenario installs stays inside that copy.
"""

import fcntl
import os
import shutil

from . import wine

# Windows versions made from the 32-bit golden prefix: winecfg's version name, then the
# service pack to report (None keeps winecfg's own), then what GetVersionExW must report.
PLATFORMS = {
    "nt40": ("nt40", None, (4, 0, 6)),
    "win2k_sp3": ("win2k", 3, (5, 0, 3)),
    "win2k_sp4": ("win2k", None, (5, 0, 4)),
    "xp_sp1": ("winxp", 1, (5, 1, 1)),
    "xp_sp2": ("winxp", 2, (5, 1, 2)),
    "2003_sp0": ("win2003", 0, (5, 2, 0)),
    "2003_sp1": ("win2003", 1, (5, 2, 1)),
    "2003_sp2": ("win2003", None, (5, 2, 2)),
}

# What the plain golden prefixes report (Wine's default, Windows 7 SP1).
DEFAULT_VERSION = (6, 1, 1)
KINDS = ("win64", "win32") + tuple(PLATFORMS)


def expected_version(kind):
    return PLATFORMS[kind][2] if kind in PLATFORMS else DEFAULT_VERSION


class Prefixes:
    def __init__(self, layout):
        self.layout = layout
        self.run_dir = layout.run_dir
        self.log_path = os.path.join(self.run_dir, "prefixes.log")

    def path(self, kind):
        return os.path.join(self.run_dir, "golden-" + kind)

    def reset(self):
        """Removes whatever an earlier run left, stopping servers of its prefixes first."""
        if os.path.isdir(self.run_dir):
            for name in os.listdir(self.run_dir):
                full = os.path.join(self.run_dir, name)
                if os.path.isdir(full) and not os.path.islink(full):
                    for candidate in _prefix_dirs(full):
                        wine.Prefix(candidate, os.devnull).stop_server()
            shutil.rmtree(self.run_dir, ignore_errors=True)
        os.makedirs(self.run_dir, exist_ok=True)

    def remove(self):
        self.reset()
        shutil.rmtree(self.run_dir, ignore_errors=True)

    def get(self, kind):
        """The path of the golden prefix of `kind`, built now if this run has none yet."""
        if kind not in KINDS:
            raise ValueError(f"unknown prefix kind {kind}")
        os.makedirs(self.run_dir, exist_ok=True)
        with open(os.path.join(self.run_dir, ".lock"), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            return self._get_locked(kind)

    def _get_locked(self, kind):
        path = self.path(kind)
        if os.path.isdir(path):
            return path
        if kind == "win64":
            wine.create_prefix(path, self.log_path)
        elif kind == "win32":
            wine.create_prefix(path, self.log_path, win32=True)
        else:
            self._make_platform(kind, path)
        return path

    def _make_platform(self, kind, path):
        version, service_pack, _ = PLATFORMS[kind]
        base = self._get_locked("win32")
        building = path + ".building"
        shutil.rmtree(building, ignore_errors=True)
        wine.copy_prefix(base, building)
        prefix = wine.Prefix(building, self.log_path)
        try:
            status = prefix.wine("winecfg", "-v", version)
            if status != 0:
                raise RuntimeError(f"winecfg -v {version} failed with {status}")
            if service_pack is not None:
                prefix.set_registry(r"HKLM\System\CurrentControlSet\Control\Windows",
                                    "CSDVersion", hex(service_pack << 8), kind="REG_DWORD")
                prefix.set_registry(r"HKLM\Software\Microsoft\Windows NT\CurrentVersion",
                                    "CSDVersion",
                                    f"Service Pack {service_pack}" if service_pack else "")
        finally:
            prefix.stop_server()
        os.rename(building, path)
        wine.write_manifest(path)


def _prefix_dirs(directory):
    """Directories under `directory` that look like Wine prefixes (have a system.reg)."""
    found = []
    for root, dirs, files in os.walk(directory):
        if "system.reg" in files:
            found.append(root)
            dirs[:] = []
    return found


def check_untouched(prefixes, kind):
    """Names of files of the golden prefix that a scenario changed through a hard link."""
    return wine.changed_shared_files(prefixes.path(kind))

