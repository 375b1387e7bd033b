#!/usr/bin/env python3
"""The demo's road without a desktop: starts the installer on the X server of
DISPLAY (the demo runs it under xvfb-run), clicks "Start", "Rozbalit" and
"Instalovat", answers the demo Setup.exe's dialog with "OK", closes the window and
prints what happened at each step, down to what the self-delete script left.

    demo_road.py PROGRAM TEMP_ROOT SET_FILE SET_NAME

TEMP_ROOT is the TMPDIR the installer is given, SET_FILE the set the server
serves, SET_NAME the name the product's address gives it.
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import road_driver  # noqa: E402
import xdriver  # noqa: E402


def log(text):
    print("demo: " + text, flush=True)


def answer_ok(display):
    """The demo set's program shows "Instalace demo"; its first button, "OK", has
    the focus, so Return presses it."""
    window = display.wait_for_map(30)
    assert window is not None, "the set's Setup.exe showed no window"
    log("the set's Setup.exe shows its dialog %r" % display.title(window))
    time.sleep(1.0)
    log("press \"OK\" in it")
    road_driver.xdotool(os.environ["DISPLAY"], "windowfocus", "--sync", window, "key", "Return")


def main():
    program, temp_root, set_file, set_name = sys.argv[1:5]
    program = os.path.abspath(program)
    folder = os.path.dirname(program)
    files = road_driver.RoadFiles(temp_root, set_name)
    env = dict(os.environ, TMPDIR=temp_root)
    if "XDG_RUNTIME_DIR" not in env:
        env["XDG_RUNTIME_DIR"] = os.path.join(temp_root, "runtime")
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    with xdriver.Display(os.environ["DISPLAY"]) as display:
        display.watch_maps()
        installer = subprocess.Popen([program], cwd=folder, env=env)
        try:
            road_driver.walk(display, os.environ["DISPLAY"], installer, files, set_file, log,
                             answer_ok)
        finally:
            if installer.poll() is None:
                installer.kill()
                installer.wait()
    # The script deletes the installer first and itself last.
    deadline = time.monotonic() + 10
    while os.listdir(folder) and time.monotonic() < deadline:
        time.sleep(0.1)
    log("left beside the installer after its self-delete script ran: %s"
        % (" ".join(os.listdir(folder)) or "nothing"))
    log("left of the set in the temporary folder: %s"
        % ("nothing" if not os.path.exists(files.unpacked) and not os.path.exists(files.download)
           else " ".join(p for p in (files.unpacked, files.download) if os.path.exists(p))))


if __name__ == "__main__":
    main()
