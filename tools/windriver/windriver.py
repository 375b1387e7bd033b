"""Drives Windows programs under Wine from the Linux side: a Wine prefix on a
private X server (Xvfb), programs started in it, and windriver.exe running beside
them in the same prefix, asked one command at a time over its pipes (see
windriver.cpp). Waits poll what the windows show, with a timeout. Only the
standard library.
"""

import hashlib
import json
import os
import tempfile
import shutil
import struct
import subprocess
import time
import zlib


class DriverError(AssertionError):
    pass


def wait_for(what, condition, timeout, interval=0.05):
    """condition's first true value, polled until timeout seconds have passed."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise DriverError("timed out after %g s waiting for %s" % (timeout, what))
        time.sleep(interval)


class WineSession:
    """A Wine prefix and the X server its windows go to. The prefix is made on
    first use (wineboot); every program started here shares its wineserver."""

    def __init__(self, prefix, display):
        self.prefix = prefix
        self.display = display
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", DISPLAY=display,
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        if not os.path.isfile(os.path.join(prefix, "system.reg")):
            subprocess.run(["wineboot", "-i"], env=self.env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def start(self, program, args=(), cwd=None, env=None, stderr=subprocess.DEVNULL):
        return subprocess.Popen(["wine", os.path.abspath(program)] + list(args), cwd=cwd,
                                env=dict(self.env, **(env or {})),
                                stdout=subprocess.DEVNULL, stderr=stderr)

    def run(self, program, args=(), env=None, timeout=60):
        process = self.start(program, args, env=env)
        return process.wait(timeout)

    def unix_path(self, windows_path):
        result = subprocess.run(["winepath", "-u", windows_path], env=self.env, check=True,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        return result.stdout.strip().rstrip("/")

    def end(self):
        """Ends every program of the prefix and waits for its wineserver."""
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)


class Control(dict):
    """One child window as windriver lists it."""

    @property
    def text(self):
        return self["text"]

    @property
    def visible(self):
        return self["visible"]

    @property
    def enabled(self):
        return self["enabled"]


class WinDriver:
    def __init__(self, session, program):
        self.session = session
        # From the root: Wine reads the Unix paths given to it (pictures) on the
        # drive of the root folder.
        self.process = subprocess.Popen(["wine", os.path.abspath(program)], cwd="/",
                                        env=session.env,
                                        stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                        text=True, encoding="utf-8")

    def ask(self, *words):
        self.process.stdin.write(" ".join(str(w) for w in words) + "\n")
        self.process.stdin.flush()
        line = self.process.stdout.readline()
        if not line:
            raise DriverError("windriver ended")
        answer = json.loads(line)
        if isinstance(answer, dict) and "error" in answer:
            raise DriverError("%s: %s" % (" ".join(str(w) for w in words), answer["error"]))
        return answer

    def close(self):
        if self.process.poll() is None:
            try:
                self.ask("quit")
            except (DriverError, OSError, ValueError):
                pass
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # Windows

    def windows(self):
        return self.ask("windows")

    def find_window(self, title=None, class_name=None):
        """The first visible top-level window whose title starts with title and
        whose class is class_name (either may be None), or None."""
        for window in self.windows():
            if title is not None and not window["title"].startswith(title):
                continue
            if class_name is not None and window["class"] != class_name:
                continue
            return window
        return None

    def wait_window(self, title=None, class_name=None, timeout=30):
        what = "a window %s" % ", ".join(
            x for x in ("titled %r" % title if title else "",
                        "of class %r" % class_name if class_name else "") if x)
        return wait_for(what, lambda: self.find_window(title, class_name), timeout)

    def window_gone(self, window):
        return all(w["hwnd"] != window["hwnd"] for w in self.windows())

    def controls(self, window):
        return [Control(c) for c in self.ask("controls", window["hwnd"])]

    def control(self, window, text=None, class_name=None, visible=None):
        """The first control below window with this text and class (either may
        be None), shown or hidden as visible says; None if there is none."""
        for c in self.controls(window):
            if text is not None and c.text != text:
                continue
            if class_name is not None and c["class"].lower() != class_name.lower():
                continue
            if visible is not None and c.visible != visible:
                continue
            return c
        return None

    def wait_control(self, window, what, predicate, timeout, interval=0.05):
        """The first control below window that predicate accepts, waited for
        (looked for every interval seconds)."""
        def found():
            for c in self.controls(window):
                if predicate(c):
                    return c
            return None
        return wait_for(what, found, timeout, interval)

    def wait_button(self, window, caption, timeout, interval=0.05):
        """The shown, enabled button of this caption, waited for."""
        return self.wait_control(
            window, "the button %r shown and enabled" % caption,
            lambda c: c["class"].lower() == "button" and c.text == caption and c.visible
            and c.enabled, timeout, interval)

    def click(self, control):
        self.ask("click", control["hwnd"])

    def click_button(self, window, caption, timeout=30):
        button = self.wait_button(window, caption, timeout)
        self.click(button)
        return button

    def set_check(self, window, caption, checked, timeout=30):
        """Ticks or unticks the check box of this caption as a click does (the
        program sees the click), unless it already is so; the box after it."""
        box = self.wait_button(window, caption, timeout)
        if bool(box["check"]) != checked:
            self.click(box)
        return box

    def request_close(self, window):
        self.ask("close", window["hwnd"])

    def temp_folder(self):
        return self.session.unix_path(self.ask("temp")["path"])

    def picture_digest(self, control):
        """A digest of what the control shows now (its client area's pixels)."""
        handle, bmp = tempfile.mkstemp(suffix=".bmp", prefix="windriver-")
        os.close(handle)
        try:
            self.ask("shot", control["hwnd"], bmp)
            with open(bmp, "rb") as f:
                return hashlib.sha256(f.read()).hexdigest()
        finally:
            os.remove(bmp)

    def screenshot(self, window, png_path):
        """The window's client area as a PNG file."""
        bmp = png_path + ".bmp"
        self.ask("shot", window["hwnd"], bmp)
        try:
            bmp_to_png(bmp, png_path)
        finally:
            os.remove(bmp)
        return png_path


def bmp_to_png(bmp_path, png_path):
    """A bottom-up 24-bit BMP (what windriver writes) as an RGB PNG."""
    with open(bmp_path, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24 or height <= 0:
        raise DriverError("unexpected image format in %s" % bmp_path)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = data[offset + y * stride:offset + y * stride + width * 3]
        rgb = bytearray(row)
        rgb[0::3], rgb[2::3] = row[2::3], row[0::3]
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))
    with open(png_path, "wb") as f:
        f.write(png)


def have_wine():
    return all(shutil.which(tool) for tool in ("wine", "wineserver", "winepath", "Xvfb"))
