#!/usr/bin/env python3
"""Measures the Windows program's start-up under Wine: from the exec of `wine
PROGRAM` to its window being mapped on the X server (MapNotify of the window
titled "Vornel instalátor..."), over several runs on a private Xvfb in one Wine
prefix. The first run meets a cold wineserver; windriver keeps it running for the
later ones (the warm start a user sees once Wine runs). Each run starts a fresh
copy named InstallTarvo.exe and closes it through its close box. Prints every run
and the median of the warm ones.

    startup_time.py PROGRAM WINDRIVER PREFIX [RUNS]
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "windriver"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "xdriver"))
import win_road  # noqa: E402
import windriver  # noqa: E402
import xdriver  # noqa: E402


def wait_installer_map(display, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        window = display.wait_for_map(max(0.1, deadline - time.monotonic()))
        if window is not None and (display.title(window) or "").startswith(win_road.WINDOW_TITLE):
            return time.perf_counter()
    raise RuntimeError("no installer window was mapped")


def one_run(session, display, driver, program):
    folder = tempfile.mkdtemp(prefix="vornel-winstartup-")
    try:
        copy = os.path.join(folder, "InstallTarvo.exe")
        shutil.copy2(program, copy)
        display.watch_maps()
        start = time.perf_counter()
        process = subprocess.Popen(["wine", copy], cwd=folder, env=session.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shown = wait_installer_map(display, 60)
        if driver is not None:
            window = driver.wait_window(win_road.WINDOW_TITLE, timeout=30)
            driver.request_close(window)
        else:
            subprocess.run(["wineserver", "-k"], env=session.env)
        process.wait(30)
        return shown - start
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    program, windriver_exe, prefix = (os.path.abspath(a) for a in sys.argv[1:4])
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 5
    with xdriver.Xvfb() as xvfb, xdriver.Display(xvfb.display) as display:
        session = windriver.WineSession(prefix, xvfb.display)
        session.end()
        cold = one_run(session, display, None, program)
        print("run 1 (cold wineserver): %.3f s" % cold, flush=True)
        times = []
        with windriver.WinDriver(session, windriver_exe) as driver:
            for run in range(runs):
                times.append(one_run(session, display, driver, program))
                print("run %d (warm): %.3f s" % (run + 2, times[-1]), flush=True)
        session.end()
    print("start-up under Wine, exec to window mapped: cold %.3f s, warm median %.3f s "
          "(%d runs)" % (cold, statistics.median(times), len(times)))


if __name__ == "__main__":
    main()
