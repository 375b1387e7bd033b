#!/usr/bin/env python3
"""The download through the Windows window under Wine against curl on Linux, one
run each, from the same demo server over TLS on loopback (the test CA trusted
through SSL_CERT_FILE and --cacert): a set of SIZE_MIB MiB of random data. The
window's time runs from the click on "Start" (posted by windriver) to "Rozbalit"
being shown, which the step shows once the file is complete; curl's from its exec
to its end, writing into a file as the window does. Prints both, the throughputs
and the ratio.

    download_bench.py PROGRAM WINDRIVER SOURCE_DIR PREFIX PORT [SIZE_MIB]

PROGRAM is built with the host 127.0.0.1:PORT.
"""

import hashlib
import os
import shutil
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

SET_NAME = "Tarvo2021_2021K1.zip"
SET_PATH = "/QRTX/Instalace/" + SET_NAME


def digest(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def start_server(source, work, set_file, port):
    ca = os.path.join(work, "ca")
    subprocess.run([os.path.join(source, "tools/demo_server/make_test_ca"), ca], check=True,
                   stdout=subprocess.DEVNULL)
    server = subprocess.Popen(
        [sys.executable, os.path.join(source, "tools/demo_server/demo_server.py"), "--set",
         set_file, "--cert", os.path.join(ca, "server.pem"), "--key",
         os.path.join(ca, "server.key"), "--port", str(port)],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    if not server.stdout.readline().startswith("PORT "):
        raise RuntimeError("the demo server cannot listen on port %d" % port)
    return server, os.path.join(ca, "ca.pem")


def main():
    program, windriver_exe, source, prefix = (os.path.abspath(a) for a in sys.argv[1:5])
    port = int(sys.argv[5])
    size_mib = int(sys.argv[6]) if len(sys.argv) > 6 else 256
    with tempfile.TemporaryDirectory(prefix="vornel-winbench-") as work:
        set_file = os.path.join(work, SET_NAME)
        with open(set_file, "wb") as f:
            for _ in range(size_mib):
                f.write(os.urandom(1 << 20))
        size = os.path.getsize(set_file)
        expected = digest(set_file)
        server, ca = start_server(source, work, set_file, port)
        try:
            target = os.path.join(work, "curl.out")
            started = time.perf_counter()
            subprocess.run(["curl", "-sS", "--cacert", ca, "-o", target,
                            "https://127.0.0.1:%d%s" % (port, SET_PATH)], check=True)
            curl = time.perf_counter() - started
            assert digest(target) == expected, "curl's copy differs"
            os.remove(target)

            folder = os.path.join(work, "installer")
            os.mkdir(folder)
            copy = os.path.join(folder, "InstallTarvo.exe")
            shutil.copy2(program, copy)
            with xdriver.Xvfb() as xvfb:
                session = windriver.WineSession(prefix, xvfb.display)
                try:
                    with windriver.WinDriver(session, windriver_exe) as driver:
                        files = win_road.RoadFiles(driver.temp_folder(), SET_NAME)
                        for path in files.left():
                            shutil.rmtree(path) if os.path.isdir(path) else os.remove(path)
                        installer = session.start(copy, cwd=folder, env={"SSL_CERT_FILE": ca})
                        window = driver.wait_window(win_road.WINDOW_TITLE, timeout=60)
                        start = driver.wait_button(window, "Start", 30)
                        started = time.perf_counter()
                        driver.click(start)
                        # Looked for twice a second: each look asks the busy
                        # window, and a closer watch slows it down.
                        driver.wait_button(window, "Rozbalit", 600, interval=0.5)
                        window_time = time.perf_counter() - started
                        assert digest(files.download) == expected, "the window's copy differs"
                        driver.request_close(window)
                        installer.wait(60)
                finally:
                    session.end()
        finally:
            server.kill()
            server.wait()
    mib = size / (1 << 20)
    print("curl on Linux:           %7.2f s  %7.1f MiB/s" % (curl, mib / curl))
    print("Windows window (Wine):   %7.2f s  %7.1f MiB/s" % (window_time, mib / window_time))
    print("ratio window/curl:       %7.2f  (%d MiB, one run each)" % (window_time / curl, mib))


if __name__ == "__main__":
    main()
