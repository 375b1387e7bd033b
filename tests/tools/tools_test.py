#!/usr/bin/env python3
"""The command-line tools beside their peers: netget writes a body into /dev/null,
a FIFO and a regular file, as curl -o does; arunzip -x creates its target folder
and its parents, as unzip -d does. A plain HTTP server on loopback serves the
data; the archive is made by Python's zipfile.

usage: tools_test.py NETGET ARUNZIP
"""
import functools
import hashlib
import http.server
import os
import select
import subprocess
import sys
import tempfile
import threading
import unittest
import zipfile

NETGET, ARUNZIP = sys.argv[1], sys.argv[2]
TIMEOUT = 120


def run(*args):
    return subprocess.run(args, capture_output=True, text=True, timeout=TIMEOUT)


class Served(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.body = os.urandom(3 * 1024 * 1024 + 17)
        with open(os.path.join(cls.folder.name, "set.bin"), "wb") as f:
            f.write(cls.body)
        handler = functools.partial(http.server.SimpleHTTPRequestHandler,
                                    directory=cls.folder.name)
        handler.log_message = lambda *args: None
        cls.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        threading.Thread(target=cls.server.serve_forever, daemon=True).start()
        cls.url = "http://127.0.0.1:%d/set.bin" % cls.server.server_address[1]

    @classmethod
    def tearDownClass(cls):
        cls.server.shutdown()
        cls.server.server_close()
        cls.folder.cleanup()

    def test_netget_into_dev_null(self):
        result = run(NETGET, self.url, "/dev/null")
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_netget_into_a_fifo(self):
        with tempfile.TemporaryDirectory() as work:
            fifo = os.path.join(work, "fifo")
            os.mkfifo(fifo)
            # Opened for reading and writing, so neither side waits for the other's
            # open and the reading end never sees an end before netget writes.
            fd = os.open(fifo, os.O_RDWR)
            try:
                netget = subprocess.Popen([NETGET, self.url, fifo], stdout=subprocess.PIPE,
                                          stderr=subprocess.PIPE, text=True)
                received = bytearray()
                while len(received) < len(self.body):
                    ready, _, _ = select.select([fd], [], [], TIMEOUT)
                    if not ready:
                        break
                    received += os.read(fd, 1 << 16)
                _, errors = netget.communicate(timeout=TIMEOUT)
            finally:
                os.close(fd)
            self.assertEqual(netget.returncode, 0, errors)
            self.assertEqual(hashlib.sha256(received).hexdigest(),
                             hashlib.sha256(self.body).hexdigest())

    def test_netget_into_a_regular_file(self):
        with tempfile.TemporaryDirectory() as work:
            target = os.path.join(work, "set.bin")
            with open(target, "wb") as f:
                f.write(b"an older, longer file" * 500000)
            result = run(NETGET, self.url, target)
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(target, "rb") as f:
                self.assertEqual(f.read(), self.body)


class Unzip(unittest.TestCase):
    ITEMS = {"Setup.exe": b"#!/bin/sh\nexit 0\n", "data/a.txt": b"a" * 1000,
             "data/deep/b.txt": "Čtěte mne\r\n".encode()}

    def setUp(self):
        self.work = tempfile.TemporaryDirectory()
        self.archive = os.path.join(self.work.name, "set.zip")
        with zipfile.ZipFile(self.archive, "w", zipfile.ZIP_DEFLATED) as z:
            for name, content in self.ITEMS.items():
                z.writestr(name, content)

    def tearDown(self):
        self.work.cleanup()

    def test_extract_creates_the_folder_and_its_parents(self):
        target = os.path.join(self.work.name, "new", "and", "nested")
        result = run(ARUNZIP, "-x", self.archive, target)
        self.assertEqual(result.returncode, 0, result.stderr)
        for name, content in self.ITEMS.items():
            with open(os.path.join(target, name), "rb") as f:
                self.assertEqual(f.read(), content, name)

    def test_extract_into_an_existing_folder(self):
        result = run(ARUNZIP, "-x", self.archive, self.work.name)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertTrue(os.path.isfile(os.path.join(self.work.name, "data", "deep", "b.txt")))

    def test_a_folder_that_cannot_be_made_is_a_usage_error(self):
        blocker = os.path.join(self.work.name, "a-file")
        with open(blocker, "w") as f:
            f.write("x")
        result = run(ARUNZIP, "-x", self.archive, os.path.join(blocker, "out"))
        self.assertEqual(result.returncode, 2)
        self.assertIn("arunzip: cannot create directory %s/out: " % blocker, result.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
