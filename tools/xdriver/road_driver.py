"""Walks the installer's road from outside on an X server: clicks on "Start",
"Rozbalit" and "Instalovat" with xdotool, each once the disk shows that its page
is there, then the close request of the close box. What happens is printed step by
step. Used by the end-to-end test and by the demo.
"""

import os
import subprocess
import time

# "Start", "Rozbalit" and "Instalovat" share one place on their pages: the page
# area at (208, 69) with its margin of 4, the button at (288, 143), 75 x 25.
BUTTON_PLACE = (212 + 288, 73 + 143, 75, 25)
BUTTON = (BUTTON_PLACE[0] + 37, BUTTON_PLACE[1] + 12)


class RoadFiles:
    """Where the installer puts the set: its private temporary folder below
    temp_root (the TMPDIR it is given) and the unpack folder beside the download."""

    def __init__(self, temp_root, set_name):
        private = os.path.join(temp_root, "vornel-%d" % os.getuid())
        self.download = os.path.join(private, set_name)
        self.unpacked = os.path.join(private, os.path.splitext(set_name)[0])


def wait_for(what, condition, timeout):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


def xdotool(display_name, *args):
    subprocess.run(["xdotool"] + [str(a) for a in args],
                   env=dict(os.environ, DISPLAY=display_name), check=True)


def button_enabled(display, window):
    """Whether the button at the shared place shows an enabled caption: black text,
    where a disabled one is grey. The window repaints only after a step has shown
    its page, so this sees what the user sees."""
    x, y, width, height = BUTTON_PLACE
    pixels = display.pixels(window, x + 4, y + 4, width - 8, height - 8)
    return pixels is not None and any(max(p) < 0x40 for p in pixels)


def click_button(display_name, window):
    xdotool(display_name, "mousemove", "--window", window, BUTTON[0], BUTTON[1], "click", 1)


def same_content(path, expected):
    try:
        with open(path, "rb") as f:
            return f.read() == expected
    except OSError:
        return False


def walk(display, display_name, installer, files, served, log, run_setup, timeout=60):
    """The road on the mapped installer window, for the set file served; run_setup
    deals with the set's program after the click on "Instalovat". Returns the
    installer's exit code after the close."""
    window = display.wait_for_map(30)
    assert window is not None, "no window was shown"
    log("the installer's window is shown: %r" % display.title(window))

    log("click on \"Start\"")
    click_button(display_name, window)
    # The file takes the announced size at once and is filled as the body arrives,
    # so only its content tells when the download is complete.
    with open(served, "rb") as f:
        expected = f.read()
    wait_for("the download", lambda: same_content(files.download, expected), timeout)
    log("downloaded %d bytes into %s, the same as the server's set" % (len(expected),
                                                                       files.download))
    # "Start" stays disabled until page 1 replaces it in the same step, so a click
    # that came early would be lost rather than start another download.
    time.sleep(0.3)
    wait_for("\"Rozbalit\"", lambda: button_enabled(display, window), timeout)

    log("click on \"Rozbalit\"")
    click_button(display_name, window)
    wait_for("the unpacking", lambda: not os.path.exists(files.download)
             and os.path.isdir(files.unpacked) and len(os.listdir(files.unpacked)) >= 4, timeout)
    time.sleep(0.3)
    wait_for("\"Instalovat\"", lambda: button_enabled(display, window), timeout)
    log("unpacked into %s: %s; the download is deleted"
        % (files.unpacked, " ".join(sorted(os.listdir(files.unpacked)))))

    log("click on \"Instalovat\"")
    click_button(display_name, window)
    run_setup(display)
    time.sleep(0.5)

    log("close request, as from the close box")
    display.request_close(window)
    code = installer.wait(20)
    log("the installer ended with exit code %d" % code)
    return code
