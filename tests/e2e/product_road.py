#!/usr/bin/env python3
"""The real program once, from outside: a copy named InstallTarvo in a folder of its
own, on a private Xvfb, clicked through with xdotool ("Start", "Rozbalit",
"Instalovat") and closed as the close box does, against the demo server over TLS.
The set is downloaded, unpacked and its setup stand-in run; after the close the
copy and its script are gone within a few seconds, and so is the unpacked set.

    product_road.py PROGRAM SOURCE_DIR PORT

PROGRAM is built with the host 127.0.0.1:PORT. Exit code 77: no Xvfb here.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

SKIP = 77
SET_NAME = "Tarvo2021_2021K1.zip"


def log(text):
    print("product_road: " + text, flush=True)


def make_set(path, marker):
    """The set, as made on a Unix host: a stand-in Setup.exe with its execute bit
    that notes it ran and exits 0, and the other known files."""
    items = [
        ("Setup.exe", "#!/bin/sh\necho ran > '%s'\nexit 0\n" % marker, 0o755),
        ("Setup-1.bin", os.urandom(512 * 1024), 0o644),
        ("Aktual.txt", "Aktuální verze: 2021K1\r\n", 0o644),
        ("Ctimne.txt", "Čtěte mne\r\n", 0o644),
    ]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, content, mode in items:
            info = zipfile.ZipInfo(name, (2021, 1, 1, 12, 0, 0))
            info.create_system = 3
            info.external_attr = (0o100000 | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, content)


def start_server(source, work, port):
    """The demo server on the program's fixed port; waits while another run holds it."""
    ca = os.path.join(work, "ca")
    subprocess.run([os.path.join(source, "tools/demo_server/make_test_ca"), ca], check=True)
    deadline = time.monotonic() + 30
    while True:
        server = subprocess.Popen(
            [sys.executable, os.path.join(source, "tools/demo_server/demo_server.py"),
             "--set", os.path.join(work, SET_NAME), "--cert", os.path.join(ca, "server.pem"),
             "--key", os.path.join(ca, "server.key"), "--port", str(port)],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        if server.stdout.readline().startswith("PORT "):
            return server, os.path.join(ca, "ca.pem")
        server.wait()
        if time.monotonic() > deadline:
            raise AssertionError("the demo server cannot listen on port %d" % port)
        time.sleep(0.5)


def main():
    program, source, port = os.path.abspath(sys.argv[1]), sys.argv[2], int(sys.argv[3])
    if shutil.which("Xvfb") is None:
        log("skipped: Xvfb is not installed")
        return SKIP
    sys.path.insert(0, os.path.join(source, "tools/xdriver"))
    import road_driver
    import xdriver

    with tempfile.TemporaryDirectory(prefix="vornel-e2e-") as work:
        folder = os.path.join(work, "installer")
        copy = os.path.join(folder, "InstallTarvo")
        temp_root = os.path.join(work, "tmp")
        files = road_driver.RoadFiles(temp_root, SET_NAME)
        served = os.path.join(work, SET_NAME)
        marker = os.path.join(work, "setup-ran")
        os.mkdir(folder)
        os.mkdir(temp_root)
        make_set(served, marker)
        server, ca = start_server(source, work, port)

        def run_setup(_display):
            road_driver.wait_for("the setup stand-in", lambda: os.path.exists(marker), 20)
            log("the set's Setup.exe ran")

        try:
            shutil.copy2(program, copy)
            env = dict(os.environ, TMPDIR=temp_root, SSL_CERT_FILE=ca, QT_QPA_PLATFORM="xcb")
            # No session bus: the taskbar sink stays silent.
            env.pop("DBUS_SESSION_BUS_ADDRESS", None)
            started = time.monotonic()
            with xdriver.Xvfb() as xvfb, xdriver.Display(xvfb.display) as display:
                env["DISPLAY"] = xvfb.display
                display.watch_maps()
                installer = subprocess.Popen([copy], cwd=folder, env=env)
                try:
                    code = road_driver.walk(display, xvfb.display, installer, files, served,
                                            log, run_setup, 20)
                finally:
                    if installer.poll() is None:
                        installer.kill()
                        installer.wait()
            assert code == 0, "exit code %d" % code
            # The script is a new file of its own name beside the copy.
            road_driver.wait_for("the copy and its script to go", lambda: not os.path.exists(copy)
                                 and not any(name.startswith("SelfDelete-")
                                             for name in os.listdir(folder)), 5)
            log("%.1f s after the start the copy and its script are gone; left in their "
                "folder: %s" % (time.monotonic() - started, " ".join(os.listdir(folder)) or "nothing"))
            assert not os.path.exists(files.unpacked), "the unpacked set stayed"
            assert not os.path.exists(files.download), "the download stayed"
        finally:
            if server.poll() is None:
                server.kill()
                server.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main())
