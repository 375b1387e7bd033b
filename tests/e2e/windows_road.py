#!/usr/bin/env python3
"""The real Windows program under Wine, on a private Xvfb, driven from outside
through windriver, against the demo server over TLS (the test CA trusted through
SSL_CERT_FILE). The program is copied as InstallTarvo.exe into a folder of its
own; after its close the copy and its script are gone within five seconds and
nothing of the set is left.

    windows_road.py CASE INSTALLER WINDRIVER SET SOURCE_DIR PORT PREFIX

CASE is one of
    road       Start, Rozbalit, Instalovat (Setup.exe fails once, then succeeds),
               Dokončit
    damaged    a set with a damaged item: the message box names it, the download
               is deleted and "Start" is back
    cancel     "Storno" during a slow download: "Start" is back with a part on
               disk; a second Start completes the download; the backup box
               ticked and its folder picker cancelled leave it unticked
    refused    a server certificate of a CA the program does not trust: the
               message box tells the verification failure, no download is left
    stalled    "Storno" while the server has stopped sending in the middle of
               the body: "Start" is back
    handshake  "Storno" while the server has taken the connection and says
               nothing (the TLS handshake waits): "Start" is back
    planted    libraries planted beside the program under the names of the
               system libraries that it loads from System32 (bcrypt, crypt32,
               msimg32): the window, a download and the close run none of their
               code, while a control program that imports them does
INSTALLER is built with the host 127.0.0.1:PORT, SET is the demo set with the
Windows Setup.exe, PREFIX the Wine prefix of these tests (made on first use).
The case planted takes two more arguments: the folder of the planted libraries
(tests/tools) and the control program.
Exit code 77: no Wine or Xvfb here.
"""

import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request
import zipfile

_TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
sys.path.insert(0, os.path.join(_TOOLS, "windriver"))
sys.path.insert(0, os.path.join(_TOOLS, "xdriver"))
import win_road  # noqa: E402
import windriver  # noqa: E402
import xdriver  # noqa: E402

SKIP = 77
SET_NAME = "Tarvo2021_2021K1.zip"
PROGRAM_NAME = "InstallTarvo.exe"
BACKUP_BOX = "Uchovat zálohu instalační sady pro pozdější použití ve složce:"


def log(text):
    print("windows_road: " + text, flush=True)


def damage(path, item):
    """Flips bytes in the middle of item's stored data, so its check fails."""
    with zipfile.ZipFile(path) as z:
        info = z.getinfo(item)
    with open(path, "r+b") as f:
        f.seek(info.header_offset + 26)
        name_length = int.from_bytes(f.read(2), "little")
        extra_length = int.from_bytes(f.read(2), "little")
        middle = info.header_offset + 30 + name_length + extra_length + info.compress_size // 2
        f.seek(middle)
        data = f.read(16)
        f.seek(middle)
        f.write(bytes(b ^ 0x5A for b in data))


class DemoServer:
    def __init__(self, source, work, set_file, port, mode=("--mode", "normal")):
        self.ca = os.path.join(work, "ca")
        subprocess.run([os.path.join(source, "tools/demo_server/make_test_ca"), self.ca],
                       check=True, stdout=subprocess.DEVNULL)
        self.port = port
        deadline = time.monotonic() + 30
        while True:
            self.process = subprocess.Popen(
                [sys.executable, os.path.join(source, "tools/demo_server/demo_server.py"),
                 "--set", set_file, "--cert", os.path.join(self.ca, "server.pem"),
                 "--key", os.path.join(self.ca, "server.key"), "--port", str(port)] + list(mode),
                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
            if self.process.stdout.readline().startswith("PORT "):
                return
            self.process.wait()
            if time.monotonic() > deadline:
                raise AssertionError("the demo server cannot listen on port %d" % port)
            time.sleep(0.5)

    @property
    def trusted(self):
        return os.path.join(self.ca, "ca.pem")

    def control(self, query):
        context = ssl.create_default_context(cafile=self.trusted)
        url = "https://127.0.0.1:%d/_control?%s" % (self.port, query)
        with urllib.request.urlopen(url, context=context, timeout=10) as reply:
            reply.read()

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class SilentServer:
    """Takes connections on the port and never says a word."""

    def __init__(self, port):
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", port))
        self.listener.listen(8)
        self.taken = []
        self.thread = threading.Thread(target=self._accept, daemon=True)
        self.thread.start()

    def _accept(self):
        while True:
            try:
                connection, _ = self.listener.accept()
            except OSError:
                return
            self.taken.append(connection)

    @property
    def trusted(self):
        return os.devnull

    def close(self):
        self.listener.close()
        for connection in self.taken:
            connection.close()


class Road:
    """One run of the program: the session, the driver, the server, the files."""

    def __init__(self, args, work, served, session, driver):
        self.args, self.work, self.session, self.driver = args, work, session, driver
        self.folder = os.path.join(work, "installer")
        self.program = os.path.join(self.folder, PROGRAM_NAME)
        self.served = served
        os.mkdir(self.folder)
        self.files = win_road.RoadFiles(driver.temp_folder(), SET_NAME)
        for path in self.files.left():
            shutil.rmtree(path) if os.path.isdir(path) else os.remove(path)
        shutil.copy2(args.installer, self.program)
        self.installer = None

    def start(self, trusted):
        self.installer = self.session.start(self.program, cwd=self.folder,
                                            env={"SSL_CERT_FILE": trusted})
        window = self.driver.wait_window(win_road.WINDOW_TITLE, timeout=60)
        log("the installer's window is shown: %r" % window["title"])
        return window

    def close_and_check(self, window):
        log("close request, as from the close box")
        self.driver.request_close(window)
        self.finish(self.installer.wait(30))

    def finish(self, code, others=()):
        """others: the files that were in the folder beside the program."""
        assert code == 0, "the installer ended with exit code %d" % code
        took = win_road.wait_self_delete(self.folder, self.program, 5)
        log("%.1f s after the end the copy and its script are gone; left in their folder: %s"
            % (took, " ".join(os.listdir(self.folder)) or "nothing"))
        assert sorted(os.listdir(self.folder)) == sorted(others), os.listdir(self.folder)
        assert not self.files.left(), "left of the set: %s" % self.files.left()
        log("nothing of the set is left")

    def stop(self):
        if self.installer is not None and self.installer.poll() is None:
            self.installer.kill()
            self.installer.wait()


def case_road(road, server):
    road.installer = road.session.start(road.program, cwd=road.folder,
                                        env={"SSL_CERT_FILE": server.trusted})
    seen = {}
    road.finish(win_road.walk(road.driver, road.installer, road.files, road.served, log,
                              seen=seen))
    # The status line showed the download's start and its progress; the bar moved.
    assert seen["status_pictures"] >= 3, "the status line showed %d texts" % seen[
        "status_pictures"]
    moving = [p for p in seen["positions"] if p > 0]
    assert len(moving) >= 2, "the bar moved through %s" % seen["positions"]


def case_damaged(road, server):
    window = road.start(server.trusted)
    win_road.download(road.driver, window, road.files, road.served, log,
                      win_road.Shots(road.driver, None, log), 60)
    log("click on \"Rozbalit\"")
    road.driver.click_button(window, "Rozbalit")
    box, text = win_road.message_box(road.driver, 60)
    log("message box: %r" % text)
    assert text.startswith("Instalační sada je poškozená"), text
    assert "Setup-1.bin" in text, text
    for sound in ("Setup.exe", "Aktual.txt", "Ctimne.txt"):
        assert sound not in text, text
    assert text.endswith("Stáhněte instalační sadu znovu tlačítkem [Start]."), text
    win_road.answer_box(road.driver, box)
    road.driver.wait_button(window, "Start", 30)
    win_road.wait_for("the damaged download to go",
                      lambda: not os.path.exists(road.files.download), 10)
    log("\"Start\" is back and the damaged download is deleted")
    road.close_and_check(window)


def case_cancel(road, server):
    """Storno, then a second Start that completes: the road goes on through the
    cancelled folder picker to the unpacked set, and the close leaves nothing."""
    window = road.start(server.trusted)
    log("click on \"Start\"")
    road.driver.click_button(window, "Start")
    win_road.wait_for("the bar to move", lambda: (win_road.bar_of(road.driver, window)
                                                  or {"pos": 0})["pos"] > 0, 30)
    log("click on \"Storno\"")
    road.driver.click_button(window, "Storno")
    road.driver.wait_button(window, "Start", 30)
    assert road.driver.control(window, "Storno", "button", visible=True) is None, \
        "\"Storno\" stays shown after the cancel"
    assert win_road.bar_of(road.driver, window) is None, "the bar stays shown after the cancel"
    # What arrived stays on disk, a part of the set.
    size = os.path.getsize(road.files.download)
    whole = os.path.getsize(road.served)
    assert 0 < size < whole, (size, whole)
    log("cancelled: \"Start\" is back, %d of %d bytes on disk" % (size, whole))
    server.control("mode=normal")
    win_road.download(road.driver, window, road.files, road.served, log,
                      win_road.Shots(road.driver, None, log), 60)
    # The backup box ticked brings up the folder picker; cancelling it unticks the
    # box again, and the set is unpacked beside the download.
    log("tick the backup box")
    road.driver.set_check(window, BACKUP_BOX, True)
    picker = road.driver.wait_window(class_name=win_road.MESSAGE_BOX_CLASS, timeout=30)
    box = road.driver.control(window, BACKUP_BOX, "button")
    assert box["check"] == 1, "the backup box is not ticked while its picker is shown"
    log("the folder picker is shown: %r, the box ticked; click on \"Cancel\"" % picker["title"])
    road.driver.click_button(picker, "Cancel")
    win_road.wait_for("the picker to go", lambda: road.driver.window_gone(picker), 30)
    road.driver.wait_control(window, "the backup box unticked", lambda c: c.text == BACKUP_BOX
                             and c.visible and c["check"] == 0, 30)
    log("the backup box is unticked again")
    win_road.unpack(road.driver, window, road.files, log, win_road.Shots(road.driver, None, log),
                    60)
    road.close_and_check(window)


def case_refused(road, server):
    other = os.path.join(road.work, "other-ca")
    subprocess.run([os.path.join(road.args.source, "tools/demo_server/make_test_ca"), other],
                   check=True, stdout=subprocess.DEVNULL)
    window = road.start(os.path.join(other, "ca.pem"))
    log("click on \"Start\"")
    road.driver.click_button(window, "Start")
    box, text = win_road.message_box(road.driver, 60)
    log("message box: %r" % text)
    assert "certificate verify failed" in text, text
    assert "unable to get local issuer certificate" in text, text
    win_road.answer_box(road.driver, box)
    road.driver.wait_button(window, "Start", 30)
    assert not os.path.exists(road.files.download), "a download was left"
    log("refused: \"Start\" is back, nothing downloaded")
    road.close_and_check(window)


def cancel_while_waiting(road, server, what):
    """Start, a wait in which nothing arrives, Storno: "Start" is back within
    seconds, and the close leaves nothing."""
    window = road.start(server.trusted)
    log("click on \"Start\"")
    road.driver.click_button(window, "Start")
    road.driver.wait_button(window, "Storno", 30)
    time.sleep(2)
    log("%s; click on \"Storno\"" % what)
    clicked = time.monotonic()
    road.driver.click_button(window, "Storno")
    road.driver.wait_button(window, "Start", 30)
    log("\"Start\" is back %.1f s after the click" % (time.monotonic() - clicked))
    assert road.driver.control(window, "Storno", "button", visible=True) is None, \
        "\"Storno\" stays shown after the cancel"
    road.close_and_check(window)


def case_stalled(road, server):
    cancel_while_waiting(road, server, "the server stalls in the body")


def case_handshake(road, server):
    cancel_while_waiting(road, server, "the server is silent in the handshake")


PLANTED = ("bcrypt.dll", "crypt32.dll", "msimg32.dll")
# Wine maps its own builtin library of a system name even when a file of that
# name lies beside the program; with these overrides it takes that file first,
# as Windows does for a library that is not a known DLL.
NATIVE_FIRST = "mscoree,mshtml=;bcrypt,crypt32,msimg32=n,b"


def case_planted(road, server):
    """The planted libraries beside the program: the control shows that their
    code runs once a program of that folder imports them; the installer shows
    its window, downloads the set over TLS (random numbers from bcrypt, the
    system's root store from crypt32, the picture through msimg32), unpacks it
    and is closed, and the code never runs. Wine's log of the loads shows that the
    program did load each of those libraries, from the system."""
    for name in PLANTED:
        shutil.copy2(os.path.join(road.args.planted, name), road.folder)
    marker = os.path.join(road.work, "planted-code-ran")
    env = {"VORNEL_PLANTED_MARKER": "Z:" + marker.replace("/", "\\"),
           "WINEDLLOVERRIDES": NATIVE_FIRST}
    control = os.path.join(road.folder, "control.exe")
    shutil.copy2(road.args.control, control)
    code = road.session.start(control, cwd=road.folder, env=env).wait(60)
    assert code == 0, "the control ended with exit code %d" % code
    assert os.path.exists(marker), "the control did not load the planted libraries"
    log("the control program beside them ran the planted code")
    os.remove(marker)
    os.remove(control)

    loads = os.path.join(road.work, "loads.txt")
    with open(loads, "w") as log_file:
        road.installer = road.session.start(
            road.program, cwd=road.folder, stderr=log_file,
            env=dict(env, SSL_CERT_FILE=server.trusted, WINEDEBUG="+loaddll"))
        window = road.driver.wait_window(win_road.WINDOW_TITLE, timeout=60)
        log("the installer's window is shown: %r" % window["title"])
        assert not os.path.exists(marker), "the installer ran the planted code as it started"
        shots = win_road.Shots(road.driver, None, log)
        win_road.download(road.driver, window, road.files, road.served, log, shots, 60)
        win_road.unpack(road.driver, window, road.files, log, shots, 60)
        log("close request, as from the close box")
        road.driver.request_close(window)
        road.finish(road.installer.wait(30), PLANTED)
    assert not os.path.exists(marker), "the installer ran the planted code"
    with open(loads, encoding="utf-8", errors="replace") as f:
        loaded = [line.lower() for line in f if "loaddll" in line]
    for name in PLANTED + ("comctl32.dll",):
        from_system = [line for line in loaded if "\\windows\\" in line and name in line]
        assert from_system, "no load of %s from the system: %s" % (name, loaded)
        log(from_system[0].strip())
    log("the planted code never ran")


CASES = {
    # Slow enough that the status line and the bar are seen changing.
    "road": (case_road, ("--mode", "slow", "--rate", "262144")),
    "damaged": (case_damaged, ("--mode", "normal")),
    "cancel": (case_cancel, ("--mode", "slow", "--rate", "131072")),
    "refused": (case_refused, ("--mode", "normal")),
    "stalled": (case_stalled, ("--mode", "stall", "--after", "1000000")),
    "handshake": (case_handshake, None),  # a silent server instead of the demo server
    "planted": (case_planted, ("--mode", "normal")),
}


class Args:
    def __init__(self, argv):
        (self.case, installer, windriver_exe, set_file, self.source, port,
         prefix) = argv[:7]
        self.planted, self.control = argv[7:] or (None, None)
        self.installer = os.path.abspath(installer)
        self.windriver = os.path.abspath(windriver_exe)
        self.set = os.path.abspath(set_file)
        self.port = int(port)
        self.prefix = os.path.abspath(prefix)


def main():
    args = Args(sys.argv[1:])
    if not windriver.have_wine():
        log("skipped: no Wine or Xvfb here")
        return SKIP
    case, mode = CASES[args.case]
    with tempfile.TemporaryDirectory(prefix="vornel-wine-e2e-") as work:
        served = os.path.join(work, "served.zip")
        shutil.copy2(args.set, served)
        if args.case == "damaged":
            damage(served, "Setup-1.bin")
        with xdriver.Xvfb() as xvfb:
            session = windriver.WineSession(args.prefix, xvfb.display)
            server = (DemoServer(args.source, work, served, args.port, mode) if mode
                      else SilentServer(args.port))
            try:
                with windriver.WinDriver(session, args.windriver) as driver:
                    road = Road(args, work, served, session, driver)
                    try:
                        case(road, server)
                    finally:
                        road.stop()
            finally:
                server.close()
                session.end()
    log("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
