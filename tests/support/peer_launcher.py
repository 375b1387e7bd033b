#!/usr/bin/env python3
"""Starts the peers of tests that run under Wine: Linux programs (nginx,
openssl s_server, the Python servers) that such a test cannot start itself.

usage: peer_launcher.py start FOLDER MAKE_TEST_CA
       peer_launcher.py stop FOLDER

start makes the test CAs FOLDER/pki/trusted, FOLDER/pki/stranger and
FOLDER/pki/root-store with MAKE_TEST_CA, then serves on 127.0.0.1 in the
background and writes its port to FOLDER/port and its process id to FOLDER/pid.
stop ends it and removes FOLDER.

A test connects and sends one line, a JSON array: a program and its arguments.
The program runs with its standard output relayed to the connection (standard
input and error are /dev/null); once it ends, the connection's sending side is
shut. When the test closes the connection, the program is ended (SIGTERM, then
SIGKILL) if it still runs. The launcher ends by itself after an hour without a
connection.
"""
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import threading
import time

IDLE_LIMIT = 3600
PKI_NAMES = ("trusted", "stranger", "root-store")


class Launcher:
    def __init__(self, listener):
        self.listener = listener
        self.last = time.monotonic()
        self.lock = threading.Lock()

    def touch(self):
        with self.lock:
            self.last = time.monotonic()

    def serve(self):
        self.listener.settimeout(60)
        while True:
            try:
                conn, _ = self.listener.accept()
            except socket.timeout:
                with self.lock:
                    if time.monotonic() - self.last > IDLE_LIMIT:
                        return
                continue
            self.touch()
            threading.Thread(target=self.run, args=(conn,), daemon=True).start()

    def run(self, conn):
        with conn:
            line = b""
            while not line.endswith(b"\n"):
                data = conn.recv(4096)
                if not data:
                    return
                line += data
            try:
                argv = json.loads(line)
                child = subprocess.Popen(argv, stdin=subprocess.DEVNULL,
                                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            except (ValueError, OSError) as e:
                conn.sendall(("LAUNCHER %s\n" % e).encode())
                return
            relay = threading.Thread(target=self.relay, args=(child, conn), daemon=True)
            relay.start()
            # Until the test lets go of its peer.
            while True:
                try:
                    if not conn.recv(4096):
                        break
                except OSError:
                    break
            if child.poll() is None:
                child.terminate()
                try:
                    child.wait(1)
                except subprocess.TimeoutExpired:
                    child.kill()
            child.wait()
            relay.join(5)
            self.touch()

    @staticmethod
    def relay(child, conn):
        while True:
            data = os.read(child.stdout.fileno(), 65536)
            if not data:
                break
            try:
                conn.sendall(data)
            except OSError:
                break
        child.stdout.close()
        try:
            conn.shutdown(socket.SHUT_WR)
        except OSError:
            pass


def start(folder, make_test_ca):
    stop(folder)
    os.makedirs(folder)
    for name in PKI_NAMES:
        subprocess.run([make_test_ca, os.path.join(folder, "pki", name)], check=True,
                       stdout=subprocess.DEVNULL)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    pid = os.fork()
    if pid == 0:
        # Detached from the caller's session and its output, which CTest waits on.
        os.setsid()
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)
        try:
            Launcher(listener).serve()
        finally:
            os._exit(0)
    port = listener.getsockname()[1]
    listener.close()
    with open(os.path.join(folder, "pid"), "w") as f:
        f.write("%d\n" % pid)
    with open(os.path.join(folder, "port.new"), "w") as f:
        f.write("%d\n" % port)
    os.rename(os.path.join(folder, "port.new"), os.path.join(folder, "port"))
    print("peer launcher %d on 127.0.0.1:%d" % (pid, port))


def stop(folder):
    try:
        with open(os.path.join(folder, "pid")) as f:
            pid = int(f.read())
        os.kill(pid, signal.SIGTERM)
        for _ in range(100):
            os.kill(pid, 0)
            time.sleep(0.05)
    except (OSError, ValueError):
        pass
    shutil.rmtree(folder, ignore_errors=True)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "start":
        start(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 3 and sys.argv[1] == "stop":
        stop(sys.argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
