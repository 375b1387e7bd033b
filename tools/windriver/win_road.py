"""The installer's road on Windows (under Wine), walked from outside through
windriver: "Start", "Rozbalit", "Instalovat" (the set's Setup.exe answered with
"Chyba" once, then with "OK"), "Dokončit", each click once the window shows what
the step before it has done. What happens is printed step by step; pictures of
the client area can be taken on the way. Used by the end-to-end tests, the
Windows demo and the Windows screenshots.
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "xdriver"))
from road_driver import same_content  # noqa: E402
from windriver import DriverError, wait_for  # noqa: E402

WINDOW_TITLE = "Vornel instalátor"
SETUP_TITLE = "Instalace demo"
MESSAGE_BOX_CLASS = "#32770"
SCRIPT_PREFIX = "SelfDelete"
# The window class of the installer's text labels (drawn, not read as text).
LABEL_CLASS = "VornelHTMLText"


class RoadFiles:
    """Where the installer puts the set: the download in the session's temporary
    folder and the unpack folder beside it."""

    def __init__(self, temp_folder, set_name):
        self.download = os.path.join(temp_folder, set_name)
        self.unpacked = os.path.join(temp_folder, os.path.splitext(set_name)[0])

    def left(self):
        return [p for p in (self.download, self.unpacked) if os.path.exists(p)]


def bar_of(driver, window):
    """The shown progress bar of the window's current page, or None."""
    for c in driver.controls(window):
        if c["class"].lower() == "msctls_progress32" and c.visible:
            return c
    return None


def shown_texts(driver, window):
    return [c.text for c in driver.controls(window) if c.visible and c.text.strip()]


class Shots:
    """Pictures of the installer's client area, or nothing when folder is None."""

    def __init__(self, driver, folder, log):
        self.driver, self.folder, self.log = driver, folder, log

    def take(self, window, name, settle=True):
        """settle: first waits until the window is restored (the install step
        minimises it while Setup.exe runs) and painted (the labels repaint once
        per display frame); a picture of work under way is taken at once."""
        if self.folder is None:
            return
        if settle:
            wait_for("the window restored", lambda: any(
                w["hwnd"] == window["hwnd"] and not w["minimized"]
                for w in self.driver.windows()), 30)
            time.sleep(0.3)
        path = self.driver.screenshot(window, os.path.join(self.folder, name))
        self.log("picture %s" % path)


def wait_bar_share(driver, window, low, high, timeout):
    """Waits until the shown bar lies in [low, high] of its range; the bar seen."""
    def inside():
        bar = bar_of(driver, window)
        if bar is None or bar["max"] <= bar["min"]:
            return None
        share = (bar["pos"] - bar["min"]) / (bar["max"] - bar["min"])
        return bar if low <= share <= high else None
    return wait_for("the bar between %d %% and %d %%" % (low * 100, high * 100), inside, timeout,
                    interval=0.02)


def message_box(driver, timeout):
    """The message box shown, with its text: (window, text)."""
    box = driver.wait_window(class_name=MESSAGE_BOX_CLASS, timeout=timeout)
    texts = [c.text for c in driver.controls(box) if c["class"].lower() == "static"]
    return box, max(texts, key=len, default="")


def answer_box(driver, box, timeout=10):
    driver.click_button(box, "OK", timeout)
    wait_for("the message box to go", lambda: driver.window_gone(box), timeout)


def download(driver, window, files, served, log, shots, timeout):
    """Start, watched through its bar and status line, up to the set on disk and
    "Rozbalit" shown. Returns what was seen: how many different pictures the
    status line showed (the labels that the click brought up on the page of
    "Start") and the bar's positions."""
    with open(served, "rb") as f:
        expected = f.read()
    start = driver.wait_button(window, "Start", timeout)
    page = start["parent"]
    hidden = {c["hwnd"] for c in driver.controls(window)
              if c["parent"] == page and c["class"] == LABEL_CLASS and not c.visible}
    log("click on \"Start\"")
    driver.click(start)
    if shots.folder is not None:
        wait_bar_share(driver, window, 0.3, 0.8, timeout)
        shots.take(window, "page1-download.png", settle=False)
    pictures, positions = set(), []

    def finished():
        for c in driver.controls(window):
            if c["parent"] != page or not c.visible:
                continue
            if c["hwnd"] in hidden:
                try:
                    pictures.add(driver.picture_digest(c))
                except DriverError:
                    pass  # hidden again between the listing and the picture
            # No position when the bar went hidden between the driver's two looks.
            if (c["class"].lower() == "msctls_progress32" and "pos" in c
                    and c["pos"] not in positions):
                positions.append(c["pos"])
        return same_content(files.download, expected)
    wait_for("the download", finished, timeout)
    log("downloaded %d bytes into %s, the same as the server's set" % (len(expected),
                                                                       files.download))
    log("the status line showed %d different pictures; bar positions seen: %s"
        % (len(pictures), " ".join(str(p) for p in positions)))
    driver.wait_button(window, "Rozbalit", timeout)
    return len(pictures), positions


def unpack(driver, window, files, log, shots, timeout):
    log("click on \"Rozbalit\"")
    driver.click_button(window, "Rozbalit", timeout)
    if shots.folder is not None:
        try:
            wait_bar_share(driver, window, 0.2, 0.9, timeout)
            shots.take(window, "page2-unpack.png", settle=False)
        except DriverError:
            log("the unpacking went by too fast for a picture")
    wait_for("the unpacking", lambda: not os.path.exists(files.download)
             and os.path.isdir(files.unpacked) and len(os.listdir(files.unpacked)) >= 4, timeout)
    driver.wait_button(window, "Instalovat", timeout)
    log("unpacked into %s: %s; the download is deleted"
        % (files.unpacked, " ".join(sorted(os.listdir(files.unpacked)))))


def run_setup(driver, window, answer, log, timeout):
    """"Instalovat", and the set's Setup.exe answered with answer."""
    log("click on \"Instalovat\"")
    driver.click_button(window, "Instalovat", timeout)
    setup = driver.wait_window(SETUP_TITLE, timeout=timeout)
    log("the set's Setup.exe shows %r; press %r" % (setup["title"], answer))
    driver.click_button(setup, answer, timeout)
    wait_for("the set's Setup.exe to end", lambda: driver.window_gone(setup), timeout)


def install(driver, window, log, shots, timeout):
    """Setup.exe fails once (exit code 1: the failure text, "Storno" shown) and
    succeeds the second time (exit code 0: "Dokončit")."""
    run_setup(driver, window, "Chyba", log, timeout)
    driver.wait_button(window, "Storno", timeout)
    driver.wait_button(window, "Instalovat", timeout)
    log("Setup.exe ended with exit code 1: \"Storno\" is shown, \"Instalovat\" again")
    shots.take(window, "page3-failure.png")
    run_setup(driver, window, "OK", log, timeout)
    driver.wait_button(window, "Dokončit", timeout)
    storno = driver.control(window, "Storno", "button", visible=True)
    if storno is not None:
        raise DriverError("\"Storno\" is still shown after the success")
    log("Setup.exe ended with exit code 0: \"Dokončit\"")
    shots.take(window, "page3-success.png")


def walk(driver, installer, files, served, log, shots_folder=None, timeout=60, seen=None):
    """The whole road on the installer just started; returns its exit code after
    "Dokončit". seen, a dict, gets what the download showed ("status_pictures",
    "positions")."""
    try:
        return walk_steps(driver, installer, files, served, log, shots_folder, timeout, seen)
    except DriverError:
        describe(driver, log)
        raise


def walk_steps(driver, installer, files, served, log, shots_folder, timeout, seen):
    shots = Shots(driver, shots_folder, log)
    window = driver.wait_window(WINDOW_TITLE, timeout=timeout)
    log("the installer's window is shown: %r" % window["title"])
    driver.wait_button(window, "Start", timeout)
    shots.take(window, "page1.png")
    pictures, positions = download(driver, window, files, served, log, shots, timeout)
    if seen is not None:
        seen.update(status_pictures=pictures, positions=positions)
    shots.take(window, "page2.png")
    unpack(driver, window, files, log, shots, timeout)
    shots.take(window, "page3.png")
    install(driver, window, log, shots, timeout)
    log("click on \"Dokončit\"")
    driver.click_button(window, "Dokončit", timeout)
    code = installer.wait(timeout)
    log("the installer ended with exit code %d" % code)
    return code


def describe(driver, log):
    """Logs every shown window and its shown controls: what the screen holds when
    a wait has failed."""
    for window in driver.windows():
        log("window %r (class %s%s)" % (window["title"], window["class"],
                                       ", minimised" if window["minimized"] else ""))
        for c in driver.controls(window):
            if c.visible:
                log("  %s %r%s%s" % (c["class"], c.text[:40], "" if c.enabled else " disabled",
                                     " at %d/%d" % (c["pos"], c["max"]) if "pos" in c else ""))


def wait_self_delete(folder, program, timeout):
    """Waits until the installer and its script are gone from folder; the time it
    took."""
    started = time.monotonic()
    wait_for("the installer and its script to go", lambda: not os.path.exists(program) and not any(
        name.startswith(SCRIPT_PREFIX) for name in os.listdir(folder)), timeout)
    return time.monotonic() - started
