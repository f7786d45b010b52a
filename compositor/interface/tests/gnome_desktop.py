"""What the GNOME desktop tests share: the extension's D-Bus object, clicks
through mutter's remote-desktop interface, screenshots read as pixels, and
the test windows (color_window.py)."""
import json
import os
import subprocess
import sys
import time

import gi

gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf, Gio, GLib  # noqa: E402

BUS = "io.github.quorvel.Shell1"
PATH = "/io/github/quorvel/Shell1"
IFACE = "io.github.quorvel.Shell1"
HERE = os.path.dirname(os.path.abspath(__file__))
SESSION = os.environ.get("XDG_SESSION_TYPE", "unknown")

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print(f"FAIL: {message}", flush=True)
    return condition


def wait_until(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError(f"timed out after {timeout}s waiting for {what}")
        time.sleep(0.05)


def call(connection, method, signature=None, args=(), dest=BUS, path=PATH, iface=IFACE):
    parameters = GLib.Variant(f"({signature})", args) if signature else None
    reply = connection.call_sync(dest, path, iface, method, parameters, None,
                                 Gio.DBusCallFlags.NONE, 20000, None)
    return reply.unpack() if reply is not None else ()


def new_connection():
    return Gio.DBusConnection.new_for_address_sync(
        os.environ["DBUS_SESSION_BUS_ADDRESS"],
        Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
        None, None)


class Desktop:
    def __init__(self, shots, prefix):
        self.prefix = prefix
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        self.shots = shots
        session = call(self.bus, "CreateSession", dest="org.gnome.Mutter.RemoteDesktop",
                       path="/org/gnome/Mutter/RemoteDesktop", iface="org.gnome.Mutter.RemoteDesktop")[0]
        self.input = lambda method, signature=None, args=(): call(
            self.bus, method, signature, args, dest="org.gnome.Mutter.RemoteDesktop", path=session,
            iface="org.gnome.Mutter.RemoteDesktop.Session")
        self.input("Start")

    def state(self):
        return json.loads(call(self.bus, "GetState")[0])

    def window(self, title, state=None):
        state = state or self.state()
        return next((w for w in state["windows"] if w["title"] == title), None)

    def click(self, x, y):
        def arrived():
            px, py = call(self.bus, "GetPointer")
            if abs(px - x) <= 1 and abs(py - y) <= 1:
                return True
            self.input("NotifyPointerMotionRelative", "dd", (float(x - px), float(y - py)))
            return False
        wait_until(arrived, 10, f"the pointer at {x},{y}")
        btn_left = 0x110
        self.input("NotifyPointerButton", "ib", (btn_left, True))
        self.input("NotifyPointerButton", "ib", (btn_left, False))

    def press(self, *keysyms):
        """Holds the keys down in order, then lets them go: a shortcut."""
        for keysym in keysyms:
            self.input("NotifyKeyboardKeysym", "ub", (keysym, True))
        for keysym in reversed(keysyms):
            self.input("NotifyKeyboardKeysym", "ub", (keysym, False))

    def screenshot(self, name):
        path = os.path.join(self.shots, f"gnome_{self.prefix}_{SESSION}_{name}.png")
        check(call(self.bus, "Screenshot", "s", (path,))[0], f"Screenshot refused for {name}")
        return Image(path)


class Image:
    def __init__(self, path):
        pixbuf = GdkPixbuf.Pixbuf.new_from_file(path)
        self.stride, self.channels = pixbuf.get_rowstride(), pixbuf.get_n_channels()
        self.data = pixbuf.get_pixels()

    def at(self, x, y):
        i = y * self.stride + x * self.channels
        return tuple(self.data[i:i + 3])

    def contrast(self, x, y, span=16):
        """The largest difference between neighbours on a row: about 255
        across sharp black and white stripes, small once they are blurred."""
        row = [sum(self.at(x + i, y)) / 3 for i in range(span)]
        return max(abs(a - b) for a, b in zip(row, row[1:]))


def near(actual, expected, tolerance=3):
    return all(abs(a - e) <= tolerance for a, e in zip(actual, expected))


def start_window(window, x, y):
    """A color_window.py window, once it is mapped; x and y count on X11 only.
    `window` may add to the environment ("env": {"GDK_BACKEND": "x11"})."""
    process = subprocess.Popen(
        ["/usr/bin/python3", os.path.join(HERE, "color_window.py"), "--title", window["title"],
         "--color", "#%02x%02x%02x" % window["color"], "--x", str(x), "--y", str(y),
         "--width", str(window["width"]), "--height", str(window["height"])],
        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
        env={**os.environ, **window.get("env", {})})
    process.stdout.readline()
    return process


def open_windows(desktop, back, front):
    """Opens `back` then `front` (each a window with "at"), and waits until both
    are listed, the front one focused; their processes and listed windows."""
    processes = [start_window(back, *back["at"])]
    wait_until(lambda: desktop.window(back["title"]), 30, "the back window in GetState")
    processes.append(start_window(front, *front["at"]))

    def listed():
        state = desktop.state()
        ours = [w for w in state["windows"] if w["title"] in (back["title"], front["title"])]
        if len(ours) == 2 and state["focused"] == ours[0]["id"] and ours[0]["title"] == front["title"]:
            return state, ours[0], ours[1]
        return None
    return processes, wait_until(listed, 30, "both windows listed, the front one focused")


def close_windows(processes):
    for process in processes:
        process.stdin.close()
        process.wait(10)


def inside(window, x, y, margin=0):
    return (window["x"] - margin <= x < window["x"] + window["width"] + margin and
            window["y"] - margin <= y < window["y"] + window["height"] + margin)


def find_spot(window, rows, avoid, pad, clear):
    """The first point on `rows` at least `pad` inside `window` whose next 16
    pixels lie `clear` away from every window in `avoid`."""
    for y in rows:
        for x in range(window["x"] + pad, window["x"] + window["width"] - pad - 16, 4):
            if not any(inside(a, x, y, clear) or inside(a, x + 16, y, clear) for a in avoid):
                return x, y
    raise AssertionError(f"no clear spot in {window['title']}")


def window_spots(window, avoid, pad, clear):
    """A plain spot and a spot on the stripe band of `window`."""
    return {"plain": find_spot(window, [window["y"] + pad, window["y"] + window["height"] - pad - 1],
                               avoid, pad, clear),
            "band": find_spot(window, [window["y"] + window["height"] // 2], avoid, pad, clear)}


# Verdicts on one spot of a screenshot: None when it holds, else what was seen.
def color(expected, exact=False):
    def test(image, spot):
        actual = image.at(*spot)
        return None if (actual == expected if exact else near(actual, expected)) else \
            f"{actual} instead of {expected}"
    return test


def contrast(holds, what):
    def test(image, spot):
        c = image.contrast(*spot)
        return None if holds(c) else f"{what} (stripe contrast {c:.0f})"
    return test


sharp = contrast(lambda c: c > 100, "stripes blurred")
smeared = contrast(lambda c: c < 40, "stripes not smeared")


def looks(desktop, name, expectations, timeout=10):
    """Polls screenshots until every (spot, verdict) of `expectations` holds;
    the last screenshot is kept and its misses reported."""
    misses = []

    def holds():
        image = desktop.screenshot(name)
        misses[:] = [f"{name}: {label}: {problem}" for label, (spot, test) in expectations.items()
                     for problem in [test(image, spot)] if problem]
        return not misses
    try:
        wait_until(holds, timeout, name)
    except TimeoutError:
        for miss in misses:
            check(False, miss)


def distance(a, b):
    return sum(abs(x - y) for x, y in zip(a, b))


# The light scheme's tint, which both GNOME and a bare KWin resolve to.
LIGHT_TINT = (236, 236, 240)


def veiled(original):
    """Quorvel's own look over `original`: moved well towards the tint."""
    def test(image, spot):
        c = image.at(*spot)
        ok = distance(c, original) > 80 and distance(c, LIGHT_TINT) < 0.7 * distance(original, LIGHT_TINT)
        return None if ok else f"{c} is not {original} tinted"
    return test


def clear_and_veiled(clear, clear_spots, behind, behind_spots):
    """The window in front exact and sharp; the one behind tinted and smeared."""
    return {clear["title"]: (clear_spots["plain"], color(clear["color"], True)),
            f"{clear['title']} stripes": (clear_spots["band"], contrast(lambda c: c > 150, "blurred")),
            behind["title"]: (behind_spots["plain"], veiled(behind["color"])),
            f"{behind['title']} stripes": (behind_spots["band"], smeared)}


def clear_at_top(bare, top, bottom):
    """Ambient mode: near the top edge the picture stays close to `bare`,
    near the bottom it is well veiled."""
    def test(image, _):
        near_top = distance(image.at(*top), bare.at(*top))
        near_bottom = distance(image.at(*bottom), bare.at(*bottom))
        return None if near_bottom > 80 and near_top < 0.3 * near_bottom else \
            f"veiled by {near_top} near the top, {near_bottom} near the bottom"
    return test


def veils_go_with_owner(desktop, owner, veil, expectations):
    """A caller that goes away takes its veils with it."""
    owner.close_sync(None)
    looks(desktop, "owner_gone", expectations)
    try:
        call(desktop.bus, "FadeVeil", "udd", (veil, 1.0, 0.0))
        check(False, "the closed connection's veil still answers")
    except GLib.Error as e:
        check("NoSuchVeil" in e.message, f"unexpected error for a gone veil: {e.message}")


def run_test(main, log_variable):
    """Runs `main`; a test that breaks off shows the compositor's log tail."""
    try:
        sys.exit(main())
    except Exception:
        log = os.environ.get(log_variable)
        if log and os.path.exists(log):
            with open(log, errors="replace") as f:
                sys.stderr.write(f"--- {log_variable} (tail) ---\n" + "".join(f.readlines()[-40:]))
        raise
