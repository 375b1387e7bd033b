#!/usr/bin/env python3
"""Starts a program on the X server of DISPLAY, waits for its window, prints the
window's title and place, closes it after a short look as the close box would,
and reports what the program left in its folder (its self-delete script removes
the program a moment after it ends).

    show_window.py PROGRAM [SECONDS]
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xdriver  # noqa: E402


def main():
    program = os.path.abspath(sys.argv[1])
    look = float(sys.argv[2]) if len(sys.argv) > 2 else 3.0
    with xdriver.Display(os.environ["DISPLAY"]) as display:
        display.watch_maps()
        process = subprocess.Popen([program], cwd=os.path.dirname(program))
        window = display.wait_for_map(60)
        if window is None:
            process.kill()
            sys.exit("demo: no window was shown")
        print("demo: window shown: %r" % display.title(window))
        time.sleep(look)
        display.request_close(window)
        code = process.wait(30)
        print("demo: the installer ended with exit code %d" % code)
    folder = os.path.dirname(program)
    deadline = time.monotonic() + 10
    # The script deletes the installer first and itself last.
    while os.listdir(folder) and time.monotonic() < deadline:
        time.sleep(0.1)
    print("demo: left in %s: %s" % (folder, " ".join(os.listdir(folder)) or "nothing"))


if __name__ == "__main__":
    main()
