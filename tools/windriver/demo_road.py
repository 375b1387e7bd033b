#!/usr/bin/env python3
"""The Windows demo's road: starts the installer under Wine and walks it from
outside through windriver (see win_road), printing what happens at each step,
down to what the self-delete script left. With --shots the client area is saved
as PNG files along the way (the Windows screenshots); with --desktop the window
goes to the X server of DISPLAY and waits for the user instead.

    demo_road.py PROGRAM WINDRIVER SET_FILE SET_NAME PREFIX [--shots DIR] [--desktop]

PROGRAM is a copy of the installer in a folder of its own (the close deletes it),
SET_FILE the set the server serves, SET_NAME the name the product's address gives
it, PREFIX the Wine prefix (made on first use). SSL_CERT_FILE reaches the program.
"""

import argparse
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "xdriver"))
import win_road  # noqa: E402
import windriver  # noqa: E402
import xdriver  # noqa: E402


def log(text):
    print("demo: " + text, flush=True)


def report_left(folder, files):
    log("left beside the installer after its self-delete script ran: %s"
        % (" ".join(os.listdir(folder)) or "nothing"))
    log("left of the set in the temporary folder: %s" % (" ".join(files.left()) or "nothing"))


def on_desktop(args, files):
    session = windriver.WineSession(args.prefix, os.environ["DISPLAY"])
    installer = session.start(args.program, cwd=os.path.dirname(args.program))
    log("the window is up; walk it yourself, then close it")
    log("the installer ended with exit code %d" % installer.wait())
    time.sleep(5)
    report_left(os.path.dirname(args.program), files)


def walked(args, display):
    session = windriver.WineSession(args.prefix, display)
    try:
        with windriver.WinDriver(session, args.windriver) as driver:
            files = win_road.RoadFiles(driver.temp_folder(), args.set_name)
            for path in files.left():
                log("an earlier run left %s; it goes first" % path)
                shutil.rmtree(path) if os.path.isdir(path) else os.remove(path)
            started = time.perf_counter()
            installer = session.start(args.program, cwd=os.path.dirname(args.program))
            try:
                code = win_road.walk(driver, installer, files, args.set_file, log, args.shots,
                                     timeout=120)
            finally:
                if installer.poll() is None:
                    installer.kill()
                    installer.wait()
            log("the road took %.1f s from the start of the program" % (time.perf_counter()
                                                                         - started))
            folder = os.path.dirname(args.program)
            try:
                took = win_road.wait_self_delete(folder, args.program, 10)
                log("the installer and its script went %.1f s after its end" % took)
            except AssertionError as e:
                log(str(e))
            report_left(folder, files)
            return code
    finally:
        session.end()


def main():
    parser = argparse.ArgumentParser()
    for name in ("program", "windriver", "set_file", "set_name", "prefix"):
        parser.add_argument(name)
    parser.add_argument("--shots")
    parser.add_argument("--desktop", action="store_true")
    args = parser.parse_args()
    for name in ("program", "windriver", "set_file", "prefix"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    if args.shots:
        args.shots = os.path.abspath(args.shots)
        os.makedirs(args.shots, exist_ok=True)
    if args.desktop:
        temp = windriver.WineSession(args.prefix, os.environ["DISPLAY"])
        with windriver.WinDriver(temp, args.windriver) as driver:
            files = win_road.RoadFiles(driver.temp_folder(), args.set_name)
        on_desktop(args, files)
        return 0
    # A private X server of a fixed size (Wine's own setting keeps 96 dpi).
    with xdriver.Xvfb("1024x768x24") as xvfb:
        return walked(args, xvfb.display)


if __name__ == "__main__":
    sys.exit(main())
