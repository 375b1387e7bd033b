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


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


ZPixmap = 2
_ErrorHandler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
# Errors of a read that fails (a window gone or unmapped) are answered by a null
# image instead of Xlib's default handler, which would end the process.
_ignore_errors = _ErrorHandler(lambda display, error: 0)
AllPlanes = ctypes.c_ulong(-1).value

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
_X.XSetErrorHandler.restype = ctypes.c_void_p
_X.XSetErrorHandler.argtypes = [ctypes.c_void_p]
_X.XGetImage.restype = ctypes.POINTER(XImage)
_X.XGetImage.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                         ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
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

    def pixels(self, window, x, y, width, height):
        """The (red, green, blue) values of a rectangle of a window on a 24- or 32-bit
        screen, row by row; None when the window cannot be read."""
        previous = _X.XSetErrorHandler(ctypes.cast(_ignore_errors, ctypes.c_void_p))
        try:
            image = _X.XGetImage(self.dpy, window, x, y, width, height, AllPlanes, ZPixmap)
            _X.XSync(self.dpy, 0)
        finally:
            _X.XSetErrorHandler(previous)
        if not image:
            return None
        try:
            info = image.contents
            if info.bits_per_pixel != 32:
                return None
            raw = ctypes.string_at(info.data, info.bytes_per_line * info.height)
        finally:
            if image.contents.data:
                _X.XFree(image.contents.data)
            _X.XFree(image)
        result = []
        for row in range(height):
            line = raw[row * info.bytes_per_line:]
            # Little-endian 0x00RRGGBB pixels: blue first.
            result.extend((line[4 * i + 2], line[4 * i + 1], line[4 * i]) for i in range(width))
        return result

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
