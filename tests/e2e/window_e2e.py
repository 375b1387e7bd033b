#!/usr/bin/env python3
"""The real program under Xvfb: started as a copy named InstallKveloWin in a
temporary folder, it shows its window with the product's title; a close request
sent from outside ends it with exit code 0, and its self-delete script then
removes the copy and itself.

    window_e2e.py PROGRAM
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tools", "xdriver"))
import xdriver  # noqa: E402

PROGRAM = None


def program_env(display):
    env = dict(os.environ)
    env["DISPLAY"] = display
    env["QT_QPA_PLATFORM"] = "xcb"
    # No session bus: the taskbar sink stays silent.
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    return env


class WindowTest(unittest.TestCase):
    def setUp(self):
        self.xvfb = xdriver.Xvfb()
        self.display = xdriver.Display(self.xvfb.display)
        self.folder = tempfile.mkdtemp(prefix="vornel-e2e-")
        self.process = None

    def tearDown(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.display.close()
        self.xvfb.close()
        shutil.rmtree(self.folder, ignore_errors=True)

    def start(self, name):
        copy = os.path.join(self.folder, name)
        shutil.copy2(PROGRAM, copy)
        self.display.watch_maps()
        self.process = subprocess.Popen([copy], cwd=self.folder, env=program_env(self.xvfb.display),
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        window = self.display.wait_for_map(60)
        self.assertIsNotNone(window, "no window was shown")
        return copy, window

    def wait_until_gone(self, path, seconds):
        deadline = time.monotonic() + seconds
        while os.path.exists(path) and time.monotonic() < deadline:
            time.sleep(0.05)
        return not os.path.exists(path)

    def scripts(self):
        return [name for name in os.listdir(self.folder) if name.startswith("SelfDelete-")]

    def test_title_close_and_self_delete(self):
        copy, window = self.start("InstallKveloWin")
        self.assertEqual(self.display.title(window),
                         "Vornel instalátor: Kvelo pro Windows, stav k 1.1.2021")
        self.assertEqual(self.display.pid(window), self.process.pid)

        self.display.request_close(window)
        output, _ = self.process.communicate(timeout=30)
        self.assertEqual(self.process.returncode, 0, output.decode("utf-8", "replace"))

        self.assertTrue(self.wait_until_gone(copy, 10), "the installer was not deleted")
        # The script is a new file of its own name beside the installer.
        deadline = time.monotonic() + 5
        while self.scripts() and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertEqual(self.scripts(), [], "the script did not delete itself")
        self.assertEqual(os.listdir(self.folder), [])


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
