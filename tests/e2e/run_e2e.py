#!/usr/bin/env python3
"""Entry point of the end-to-end scenarios (CTest calls it; it also runs by hand).

  run_e2e.py --build-dir DIR list              names of all scenarios, one a line
  run_e2e.py --build-dir DIR setup             fresh run directory with the 64-bit golden prefix
  run_e2e.py --build-dir DIR scenario NAME...  runs scenarios; exit status 1 if any failed
  run_e2e.py --build-dir DIR cleanup           removes the run directory and its prefixes
  run_e2e.py --build-dir DIR distributions OUT  builds the distribution of each checker
                                               scenario into OUT/<scenario>, without Wine
"""

import argparse
import os
import signal
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness.layout import Layout  # noqa: E402
from harness.prefixes import Prefixes  # noqa: E402
from scenarios import ALL, distribution_check  # noqa: E402

_SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def _terminate(signum, _frame):
    # Turn SIGTERM/SIGHUP into an exception so that every session's clean-up runs.
    raise SystemExit(128 + signum)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("command",
                        choices=("list", "setup", "scenario", "cleanup", "distributions"))
    parser.add_argument("names", nargs="*")
    options = parser.parse_args()

    layout = Layout(options.build_dir, _SOURCE_DIR)
    prefixes = Prefixes(layout)
    if options.command == "list":
        print("\n".join(ALL))
        return 0
    if options.command == "distributions":
        if len(options.names) != 1:
            parser.error("distributions takes one output folder")
        print("\n".join(distribution_check.build_distributions(layout, options.names[0])))
        return 0
    signal.signal(signal.SIGTERM, _terminate)
    signal.signal(signal.SIGHUP, _terminate)
    if options.command == "setup":
        prefixes.reset()
        prefixes.get("win64")
        print(f"golden prefix ready in {prefixes.path('win64')}")
        return 0
    if options.command == "cleanup":
        prefixes.remove()
        return 0

    failed = 0
    for name in options.names:
        case = ALL.get(name)
        if case is None:
            print(f"{name}: no such scenario")
            failed += 1
            continue
        started = time.monotonic()
        try:
            case.run(layout, prefixes)
        except AssertionError as failure:
            failed += 1
            print(f"{name}: FAILED\n{failure}")
        except Exception:  # a broken harness or prefix is a failure too, with its trace
            failed += 1
            print(f"{name}: ERROR")
            traceback.print_exc(file=sys.stdout)
        else:
            print(f"{name}: passed ({time.monotonic() - started:.1f} s)")
        sys.stdout.flush()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
