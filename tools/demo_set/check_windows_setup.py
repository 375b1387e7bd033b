#!/usr/bin/env python3
"""The demo set's Windows Setup.exe under Wine on a private Xvfb, answered through
windriver run after run: "OK" ends it with exit code 0, "Chyba" with 1, the close
box with 1, and a run after a failure is not affected by it.

    check_windows_setup.py SETUP WINDRIVER SOURCE_DIR PREFIX

Exit code 77: no Wine or Xvfb here.
"""
import os
import sys

# (the answer, the exit code it must give), in the order of the runs.
RUNS = [("OK", 0), ("Chyba", 1), ("OK", 0), ("close box", 1)]


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
