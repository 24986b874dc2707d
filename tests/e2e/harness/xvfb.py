"""A private X display for one scenario."""

import os
import select

from . import processes

FIRST_DISPLAY = 100
LAST_DISPLAY = 199


def _in_use(number):
    return (os.path.exists(f"/tmp/.X{number}-lock")
            or os.path.exists(f"/tmp/.X11-unix/X{number}"))


class Xvfb:
    """Starts Xvfb on the first free display of :100-:199; stop() ends it."""

    def __init__(self):
        self.process = None
        self.display = None
        self._ready_pipe = None

    def start(self):
        for number in range(FIRST_DISPLAY, LAST_DISPLAY + 1):
            if _in_use(number):
                continue
            if self._try(number):
                return self
        raise RuntimeError("no free X display in :%d-:%d" % (FIRST_DISPLAY, LAST_DISPLAY))

    def _try(self, number):
        read_end, write_end = os.pipe()
        try:
            # -noreset: without it the server resets when its last client leaves, and writes
            # to the display pipe again.
            process = processes.start_tied(
                ["Xvfb", f":{number}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                 "-noreset", "-displayfd", str(write_end)], pass_fds=(write_end,))
        finally:
            os.close(write_end)
        # Xvfb writes the display number once it accepts clients; EOF means it gave up
        # (another server took the display first).
        readable, _, _ = select.select([read_end], [], [], 15)
        ready = os.read(read_end, 32) if readable else b""
        if ready.strip() == str(number).encode():
            # The read end stays open while the server runs: a write to a closed pipe
            # would end it.
            self._ready_pipe = read_end
            self.process = process
            self.display = f":{number}"
            return True
        os.close(read_end)
        processes.stop(process)
        return False

    def stop(self):
        if self.process is not None:
            processes.stop(self.process)
            self.process = None
        if self._ready_pipe is not None:
            os.close(self._ready_pipe)
            self._ready_pipe = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
