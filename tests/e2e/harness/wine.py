"""Wine prefixes: creation, copying, their servers, and running programs in them."""

import json
import os
import re
import shutil
import subprocess

from . import processes

# File kinds that no program of a scenario rewrites in place: hard-linked into each copy of a
# prefix instead of copied (a prefix holds over a gigabyte of them). Everything else, the
# registry files first of all, is copied.
_LINKED_SUFFIXES = {".dll", ".exe", ".drv", ".sys", ".ocx", ".cpl", ".acm", ".ax", ".tlb",
                    ".nls", ".ttf", ".ttc", ".fon", ".mui", ".ds", ".com", ".msstyles"}

SERVER_LINGER_SECONDS = 30


def windows_path(path):
    """The Wine path of a host path through drive Z:; a Windows path ("C:\\...") unchanged."""
    if re.match(r"[A-Za-z]:\\", path):
        return path
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Prefix:
    """One Wine prefix directory and the environment that runs programs in it."""

    def __init__(self, path, log_path, display=None, extra_env=None):
        self.path = path
        self.log_path = log_path
        self.display = display
        self.extra_env = dict(extra_env or {})

    def env(self):
        env = dict(os.environ)
        for name in ("WINEARCH", "WINESERVER", "WINELOADER", "WINEDEBUG", "DISPLAY"):
            env.pop(name, None)
        env.update({
            "WINEPREFIX": self.path,
            "WINEDEBUG": "-all",
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            # No Mono/Gecko installers, no desktop menu entries on the host.
            "WINEDLLOVERRIDES": "mscoree=;mshtml=;winemenubuilder.exe=d",
        })
        if self.display:
            env["DISPLAY"] = self.display
        env.update(self.extra_env)
        return env

    def run(self, argv, timeout=120, cwd=None):
        """Runs a command with this prefix's environment; output goes to the log."""
        return processes.run_logged(argv, self.env(), self.log_path, timeout, cwd=cwd)

    def start(self, argv, cwd=None):
        """Starts a command with this prefix's environment without waiting for it."""
        return processes.start_logged(argv, self.env(), self.log_path, cwd=cwd)

    def wine(self, *args, timeout=120):
        return self.run(["wine", *args], timeout=timeout)

    def start_server(self):
        """Starts the prefix's server and its services with every output discarded, so that
        no later caller that captures output waits on them."""
        self.run(["wineserver", f"-p{SERVER_LINGER_SECONDS}"], timeout=30)
        status = self.wine("cmd", "/c", "exit", timeout=120)
        if status != 0:
            raise RuntimeError(f"wine does not start in {self.path} (status {status})")

    def stop_server(self):
        """Kills every process of the prefix and waits for its server to go."""
        if not os.path.isdir(self.path):
            return
        for argv in (["wineserver", "-k"], ["wineserver", "-w"]):
            try:
                self.run(argv, timeout=30)
            except subprocess.TimeoutExpired:
                pass

    def set_registry(self, key, name, value, kind="REG_SZ"):
        status = self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", str(value), "/f")
        if status != 0:
            raise RuntimeError(f"reg add {key} {name} failed with {status}")


def create_prefix(path, log_path, win32=False):
    """A new prefix at `path` (built under a temporary name, then renamed into place)."""
    building = path + ".building"
    shutil.rmtree(building, ignore_errors=True)
    prefix = Prefix(building, log_path)
    if win32:
        prefix.extra_env["WINEARCH"] = "win32"
    try:
        status = prefix.run(["wineboot", "-i"], timeout=300)
        if status != 0:
            raise RuntimeError(f"wineboot -i failed with {status} in {building}")
        # Without a window manager a box otherwise takes seconds to close.
        prefix.set_registry(r"HKCU\Software\Wine\X11 Driver", "Managed", "N")
    finally:
        prefix.stop_server()
    os.rename(building, path)
    write_manifest(path)
    return Prefix(path, log_path)


def _manifest_path(path):
    return path + ".linked.json"


def _linked(name):
    return os.path.splitext(name)[1].lower() in _LINKED_SUFFIXES


def write_manifest(path):
    """Records size and time of every file that copies share, to catch a copy writing
    through a link into this prefix."""
    manifest = {}
    for root, _, files in os.walk(path):
        for name in files:
            full = os.path.join(root, name)
            if _linked(name) and not os.path.islink(full):
                info = os.stat(full)
                manifest[os.path.relpath(full, path)] = [info.st_size, info.st_mtime_ns]
    with open(_manifest_path(path), "w", encoding="utf-8") as out:
        json.dump(manifest, out)


def changed_shared_files(path):
    """Files of the prefix at `path` that changed since write_manifest."""
    with open(_manifest_path(path), encoding="utf-8") as source:
        manifest = json.load(source)
    changed = []
    for relative, (size, mtime) in manifest.items():
        try:
            info = os.stat(os.path.join(path, relative))
        except FileNotFoundError:
            changed.append(relative)
            continue
        if info.st_size != size or info.st_mtime_ns != mtime:
            changed.append(relative)
    return changed


def copy_prefix(source, destination):
    """Copies a stopped prefix: symbolic links as links, shared program files hard-linked,
    everything else copied."""
    for root, dirs, files in os.walk(source):
        target_root = os.path.join(destination, os.path.relpath(root, source))
        os.makedirs(target_root, exist_ok=True)
        shutil.copystat(root, target_root)
        for name in dirs:
            full = os.path.join(root, name)
            if os.path.islink(full):
                os.symlink(os.readlink(full), os.path.join(target_root, name))
        for name in files:
            full = os.path.join(root, name)
            target = os.path.join(target_root, name)
            if os.path.islink(full):
                os.symlink(os.readlink(full), target)
            elif _linked(name):
                os.link(full, target)
            else:
                shutil.copy2(full, target)
