#!/usr/bin/env python3
"""Measures the installer's start-up: from the exec of the program to its window
being mapped on the X server (MapNotify), over several runs under a private Xvfb.
Each run starts a fresh copy in its own folder (closing the window deletes the
installer) and closes it from outside afterwards. Prints every run and the median.

    startup_time.py PROGRAM [RUNS]
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xdriver  # noqa: E402


def one_run(display, xvfb, program, name):
    folder = tempfile.mkdtemp(prefix="vornel-startup-")
    try:
        copy = os.path.join(folder, name)
        shutil.copy2(program, copy)
        env = dict(os.environ, DISPLAY=xvfb.display, QT_QPA_PLATFORM="xcb")
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        display.watch_maps()
        start = time.perf_counter()
        process = subprocess.Popen([copy], cwd=folder, env=env)
        window = display.wait_for_map(60)
        shown = time.perf_counter()
        if window is None:
            process.kill()
            raise RuntimeError("no window was shown")
        display.request_close(window)
        process.wait(30)
        deadline = time.monotonic() + 10
        while os.path.exists(copy) and time.monotonic() < deadline:
            time.sleep(0.05)
        return (shown - start) * 1000.0
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    program = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 11
    name = os.path.basename(program)
    with xdriver.Xvfb() as xvfb, xdriver.Display(xvfb.display) as display:
        one_run(display, xvfb, program, name)  # warms the page cache
        times = []
        for i in range(runs):
            ms = one_run(display, xvfb, program, name)
            times.append(ms)
            print("run %2d: %7.1f ms" % (i + 1, ms))
    print("median of %d runs, exec to window shown: %.1f ms (min %.1f, max %.1f)"
          % (runs, statistics.median(times), min(times), max(times)))


if __name__ == "__main__":
    main()
