"""Drives a program's windows from outside through the X server: a private Xvfb,
the windows a process maps, their titles and a close request (WM_DELETE_WINDOW)
as a window manager would send it. Only the standard library: libX11 through
ctypes, Xvfb as a child process.
"""

import ctypes
import ctypes.util
import os
import select
import subprocess
import time

_X = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")

Window = ctypes.c_ulong
Atom = ctypes.c_ulong

MapNotify = 19
ClientMessage = 33
SubstructureNotifyMask = 1 << 19
NoEventMask = 0
AnyPropertyType = 0


class XAnyEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", Window)]


class XMapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("event", Window), ("window", Window), ("override_redirect", ctypes.c_int)]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", Window), ("message_type", Atom), ("format", ctypes.c_int),
                ("l", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xany", XAnyEvent), ("xmap", XMapEvent),
                ("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


_X.XOpenDisplay.restype = ctypes.c_void_p
_X.XOpenDisplay.argtypes = [ctypes.c_char_p]
_X.XCloseDisplay.argtypes = [ctypes.c_void_p]
_X.XDefaultRootWindow.restype = Window
_X.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_X.XInternAtom.restype = Atom
_X.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
_X.XSelectInput.argtypes = [ctypes.c_void_p, Window, ctypes.c_long]
_X.XPending.argtypes = [ctypes.c_void_p]
_X.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(XEvent)]
_X.XConnectionNumber.argtypes = [ctypes.c_void_p]
_X.XFlush.argtypes = [ctypes.c_void_p]
_X.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
_X.XSendEvent.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_long,
                          ctypes.POINTER(XEvent)]
_X.XFree.argtypes = [ctypes.c_void_p]
_X.XGetWindowProperty.argtypes = [
    ctypes.c_void_p, Window, Atom, ctypes.c_long, ctypes.c_long, ctypes.c_int, Atom,
    ctypes.POINTER(Atom), ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
    ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]


class Xvfb:
    """A private X server on a free display number, ended with the object."""

    def __init__(self, screen="1024x768x24"):
        read_fd, write_fd = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", screen, "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        ready, _, _ = select.select([read_fd], [], [], 20)
        if ready:
            while not number.endswith(b"\n"):
                chunk = os.read(read_fd, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_fd)
        if not number.strip():
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Display:
    """One connection to an X server."""

    def __init__(self, name):
        self.dpy = _X.XOpenDisplay(name.encode())
        if not self.dpy:
            raise RuntimeError("cannot open display " + name)
        self.root = _X.XDefaultRootWindow(self.dpy)

    def close(self):
        if self.dpy:
            _X.XCloseDisplay(self.dpy)
            self.dpy = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def atom(self, name):
        return _X.XInternAtom(self.dpy, name.encode(), 0)

    def watch_maps(self):
        """From now on, wait_for_map sees every top-level window that is mapped."""
        _X.XSelectInput(self.dpy, self.root, SubstructureNotifyMask)
        _X.XSync(self.dpy, 0)

    def wait_for_map(self, timeout):
        """The next top-level window mapped, or None when the time is up."""
        deadline = time.monotonic() + timeout
        event = XEvent()
        fd = _X.XConnectionNumber(self.dpy)
        while True:
            while _X.XPending(self.dpy):
                _X.XNextEvent(self.dpy, ctypes.byref(event))
                if event.type == MapNotify and not event.xmap.override_redirect:
                    return event.xmap.window
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([fd], [], [], left)

    def property(self, window, name):
        """The raw bytes of a window property, or None."""
        actual_type, actual_format = Atom(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        status = _X.XGetWindowProperty(
            self.dpy, window, self.atom(name), 0, 65536, 0, AnyPropertyType,
            ctypes.byref(actual_type), ctypes.byref(actual_format), ctypes.byref(count),
            ctypes.byref(after), ctypes.byref(data))
        if status != 0 or not data.value:
            return None
        unit = {8: 1, 16: ctypes.sizeof(ctypes.c_short), 32: ctypes.sizeof(ctypes.c_long)}
        raw = ctypes.string_at(data.value, count.value * unit.get(actual_format.value, 1))
        _X.XFree(data)
        return raw

    def title(self, window):
        """_NET_WM_NAME (UTF-8) of a window, else WM_NAME, else None."""
        raw = self.property(window, "_NET_WM_NAME")
        if raw is None:
            raw = self.property(window, "WM_NAME")
        return None if raw is None else raw.decode("utf-8", "replace")

    def pid(self, window):
        raw = self.property(window, "_NET_WM_PID")
        return None if not raw else ctypes.c_long.from_buffer_copy(raw[:ctypes.sizeof(ctypes.c_long)]).value

    def request_close(self, window):
        """Sends WM_DELETE_WINDOW, as a window manager does for the close box."""
        event = XEvent()
        event.xclient.type = ClientMessage
        event.xclient.window = window
        event.xclient.message_type = self.atom("WM_PROTOCOLS")
        event.xclient.format = 32
        event.xclient.l[0] = self.atom("WM_DELETE_WINDOW")
        event.xclient.l[1] = 0  # CurrentTime
        _X.XSendEvent(self.dpy, window, 0, NoEventMask, ctypes.byref(event))
        _X.XFlush(self.dpy)
