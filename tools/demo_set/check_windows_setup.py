#!/usr/bin/env python3
"""The demo set's Windows Setup.exe under Wine on a private Xvfb, answered through
windriver run after run: "OK" ends it with exit code 0, "Chyba" with 1, the close
box with 1, and a run after a failure is not affected by it. The first run's
window and its "OK" button are also taken as pictures, which must have the
client areas' sizes and show the caption's dark text.

    check_windows_setup.py SETUP WINDRIVER SOURCE_DIR PREFIX

Exit code 77: no Wine or Xvfb here.
"""
import os
import struct
import sys
import tempfile
import time

# (the answer, the exit code it must give), in the order of the runs.
RUNS = [("OK", 0), ("Chyba", 1), ("OK", 0), ("close box", 1)]


def picture(driver, control):
    """What windriver takes of control: its rows of RGB triples, top first."""
    handle, path = tempfile.mkstemp(suffix=".bmp")
    os.close(handle)
    try:
        driver.ask("shot", control["hwnd"], path)
        with open(path, "rb") as f:
            data = f.read()
    finally:
        os.remove(path)
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) & ~3
    return [data[offset + y * stride:offset + y * stride + width * 3]
            for y in range(height - 1, -1, -1)]


def colours(rows):
    return {row[i:i + 3] for row in rows for i in range(0, len(row), 3)}


def check_pictures(driver, window, failures):
    """The window's picture has its client size; the button's picture is the
    part of it at the button's place, with the caption's dark text."""
    # A window just shown may not have painted yet.
    deadline = time.monotonic() + 10
    while True:
        rows = picture(driver, window)
        if len(colours(rows)) >= 3 or time.monotonic() > deadline:
            break
        time.sleep(0.1)
    if (len(rows[0]) // 3, len(rows)) != (360, 110):
        failures.append("window picture %dx%d" % (len(rows[0]) // 3, len(rows)))
        return
    ok = driver.control(window, "OK", "button")
    button = picture(driver, ok)
    left, top, right, bottom = ok["rect"]
    part = [row[left * 3:right * 3] for row in rows[top:bottom]]
    if button != part:
        failures.append("the picture of \"OK\" is not the window's at %r" % ok["rect"])
    if not any(max(c) < 0x40 for c in colours(button)):
        failures.append("the picture of \"OK\" shows no dark caption")


def main():
    setup, windriver_exe, source, prefix = (os.path.abspath(a) for a in sys.argv[1:5])
    sys.path.insert(0, os.path.join(source, "tools/windriver"))
    sys.path.insert(0, os.path.join(source, "tools/xdriver"))
    import windriver
    import xdriver
    if not windriver.have_wine():
        print("skipped: no Wine or Xvfb here")
        return 77
    failures = []
    with xdriver.Xvfb() as xvfb:
        session = windriver.WineSession(prefix, xvfb.display)
        try:
            with windriver.WinDriver(session, windriver_exe) as driver:
                for answer, expected in RUNS:
                    process = session.start(setup)
                    window = driver.wait_window("Instalace demo", timeout=60)
                    texts = [c.text for c in driver.controls(window) if c.visible]
                    if texts[-2:] != ["OK", "Chyba"]:
                        failures.append("buttons %r" % texts)
                    if not failures and answer == RUNS[0][0]:
                        check_pictures(driver, window, failures)
                    if answer == "close box":
                        driver.request_close(window)
                    else:
                        driver.click_button(window, answer)
                    code = process.wait(30)
                    print("%s: exit code %d" % (answer, code))
                    if code != expected:
                        failures.append("%s gave exit code %d, not %d" % (answer, code, expected))
        finally:
            session.end()
    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
