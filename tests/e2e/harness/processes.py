"""Starting and stopping host processes without ever waiting on an inherited pipe."""

import ctypes
import os
import signal
import subprocess

_PR_SET_PDEATHSIG = 1


def _die_with_parent():
    # The child gets SIGTERM when the harness process ends, however it ends.
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        libc.prctl(_PR_SET_PDEATHSIG, signal.SIGTERM, 0, 0, 0)
    except OSError:
        pass


def start_logged(argv, env, log_path, cwd=None):
    """Starts argv with stdin closed and all output appended to log_path (see run_logged)."""
    with open(log_path, "ab") as log:
        log.write(("$ " + " ".join(argv) + "\n").encode())
        log.flush()
        return subprocess.Popen(argv, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=log,
                                stderr=log, start_new_session=True)


def run_logged(argv, env, log_path, timeout, cwd=None):
    """Runs argv to completion with stdin closed and all output appended to log_path.

    Output goes to a file, never to a pipe: Wine's background services inherit the output
    handles of the process that started them and would hold a pipe open. Returns the exit
    status; raises subprocess.TimeoutExpired (after killing the process) past `timeout`.
    """
    process = start_logged(argv, env, log_path, cwd=cwd)
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        kill_group(process)
        raise


def start_tied(argv, env=None, pass_fds=()):
    """Starts a long-running helper (Xvfb) that ends when the harness ends."""
    return subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, pass_fds=pass_fds,
                            preexec_fn=_die_with_parent)


def kill_group(process):
    """Kills a process started with start_new_session, and what it started in its group."""
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        pass


def stop(process, timeout=5):
    """Ends one helper started by start_tied: SIGTERM, then SIGKILL."""
    if process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=timeout)
