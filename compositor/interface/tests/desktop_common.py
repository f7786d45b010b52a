"""What the component tests share, whatever the compositor: the caller that
owns io.github.quorvel.Quorvel1 (the only one the component obeys), polling,
screenshots read as pixels and the verdicts on them, the test windows
(color_window.py), and the session driver of the compositor under test
(gnome_desktop.py, kwin_desktop.py; x11_desktop.py where no compositor
component runs), picked from XDG_CURRENT_DESKTOP.

A driver is a class Desktop(shots, prefix, bus) with `name` ("gnome",
"kwin", "x11"), screenshot(name) -> Image, move_pointer(x, y), click(x, y,
button=1, shift=False) as a user's pointer would, place(title, x, y) for a
window a Wayland client cannot place itself (None where the compositor
places windows by itself), and keep_above(title) to turn the window
manager's keep-above of the focused window `title` on or off. `bus` is the
owner's connection."""
import json
import os
import subprocess
import sys
import time

import gi

gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf, Gio, GLib  # noqa: E402

BUS = "io.github.quorvel.Compositor1"
PATH = "/io/github/quorvel/Compositor1"
IFACE = BUS
QUORVEL = "io.github.quorvel.Quorvel1"
HERE = os.path.dirname(os.path.abspath(__file__))
SESSION = os.environ.get("XDG_SESSION_TYPE", "unknown")

def check(condition, message):
    """Ends the test at the first thing that does not hold, saying what."""
    if not condition:
        raise AssertionError(message)


def pump():
    """Delivers whatever the buses brought (signals) to their handlers."""
    while GLib.MainContext.default().iteration(False):
        pass


def poll(predicate, limit=5.0, what=None, step=0.02):
    """Asks `predicate` until it holds, delivering the buses' signals
    between asks; its last answer, falsy after `limit` s, or with `what`
    a TimeoutError instead."""
    end = time.monotonic() + limit
    while True:
        pump()
        answer = predicate()
        if answer or time.monotonic() >= end:
            if not answer and what:
                raise TimeoutError(f"timed out after {limit}s waiting for {what}")
            return answer
        time.sleep(step)


def call(connection, method, signature=None, args=(), dest=BUS, path=PATH, iface=IFACE, timeout=20000):
    parameters = GLib.Variant(f"({signature})", args) if signature else None
    reply = connection.call_sync(dest, path, iface, method, parameters, None,
                                 Gio.DBusCallFlags.NONE, timeout, None)
    return reply.unpack() if reply is not None else ()


def error_of(connection, method, signature=None, args=(), timeout=20000):
    """The short name of the D-Bus error a call ends in, or None."""
    try:
        call(connection, method, signature, args, timeout=timeout)
        return None
    except GLib.Error as e:
        name = Gio.DBusError.get_remote_error(e) or e.message
        return name.rsplit(".", 1)[-1]


def new_connection():
    return Gio.DBusConnection.new_for_address_sync(
        os.environ["DBUS_SESSION_BUS_ADDRESS"],
        Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
        None, None)


class Owner:
    """A connection of its own that owns io.github.quorvel.Quorvel1, as the
    running Quorvel does, and keeps the signals sent to it."""

    def __init__(self):
        self.bus = new_connection()
        self.signals = []
        self.bus.signal_subscribe(None, IFACE, None, PATH, None, Gio.DBusSignalFlags.NONE,
                                  lambda c, s, p, i, name, params: self.signals.append((name, params.unpack())))
        got = call(self.bus, "RequestName", "su", (QUORVEL, 4), dest="org.freedesktop.DBus",
                   path="/org/freedesktop/DBus", iface="org.freedesktop.DBus")[0]
        assert got == 1, f"{QUORVEL} is taken (RequestName answered {got})"

    def __call__(self, method, signature=None, args=()):
        return call(self.bus, method, signature, args)

    def state(self):
        return json.loads(self("GetState")[0])

    def close(self):
        self.bus.close_sync(None)


def desktop_driver():
    desktop = os.environ.get("XDG_CURRENT_DESKTOP", "")
    # Under a window manager alone (tests/sessions/wm-session) the session
    # still names its desktop, but no compositor component runs.
    if os.environ.get("QUORVEL_WM"):
        desktop = ""
    if "KDE" in desktop:
        from kwin_desktop import KWinDesktop
        return KWinDesktop
    if "GNOME" in desktop:
        from gnome_desktop import GnomeDesktop
        return GnomeDesktop
    from x11_desktop import X11Desktop
    return X11Desktop


# Keys as xdotool names them, for the X11 sessions.
KEY_NAMES = {0xFFE3: "ctrl", 0xFFE9: "alt", 0xFFEB: "super", 0xFFE1: "shift", 0xFF54: "Down",
             0xFF0D: "Return", 0xFF1B: "Escape", 0xFF55: "Page_Up", 0xFF56: "Page_Down", 0xFFC1: "F4", 0xFF53: "Right",
             0xFFC9: "F12"}


def xdotool_click(x, y, button=1, shift=False, display=None):
    """The pointer moved to x, y and a click there, on the X server."""
    shifted = (["keydown", "shift"], ["keyup", "shift"]) if shift else ([], [])
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "sleep", "0.1", *shifted[0], "click", str(button),
                    *shifted[1]], check=True, timeout=10, env={**os.environ, "DISPLAY": display} if display else None)


def xdotool_keys(*keysyms, display=None, hold=0.03):
    """Holds each key down in turn, then lets them go, on the X server, a
    few hundredths of a second apart as fingers do; the last held `hold` s."""
    # WORKAROUND(KWin 6.3 X11): a combination sent through XTest all at once
    # is missed about one time in two.
    names = [KEY_NAMES.get(k) or chr(k) for k in keysyms]
    steps = [a for n in names[:-1] for a in ("keydown", n, "sleep", "0.03")] + \
            ["keydown", names[-1], "sleep", str(hold)] + [a for n in reversed(names) for a in ("keyup", n)]
    env = {**os.environ, "DISPLAY": display} if display else None
    subprocess.run(["xdotool", *steps], check=True, timeout=10, env=env)


# --- pictures --------------------------------------------------------------

class Image:
    def __init__(self, path):
        pixbuf = GdkPixbuf.Pixbuf.new_from_file(path)
        self.width, self.height = pixbuf.get_width(), pixbuf.get_height()
        self.stride, self.channels = pixbuf.get_rowstride(), pixbuf.get_n_channels()
        self.data = pixbuf.get_pixels()

    def at(self, x, y):
        i = y * self.stride + x * self.channels
        return tuple(self.data[i:i + 3])

    def gray(self, x, y):
        i = y * self.stride + x * self.channels
        return (self.data[i] + self.data[i + 1] + self.data[i + 2]) / 3

    def detail(self, box):
        """Each pixel of `box` (x, y, w, h) less the mean of the 5x5 around
        it: the fine detail a blur takes away."""
        x0, y0, w, h = box
        out = []
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                around = sum(self.gray(x + i, y + j) for i in range(-2, 3) for j in range(-2, 3)) / 25
                out.append(self.gray(x, y) - around)
        return out


def correlation(a, b):
    n = len(a)
    ma, mb = sum(a) / n, sum(b) / n
    cov = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    va = sum((x - ma) ** 2 for x in a)
    vb = sum((y - mb) ** 2 for y in b)
    return cov / (va * vb) ** 0.5 if va > 0 and vb > 0 else 0.0


# Verdicts on a screenshot: each takes (image, bare) and answers None when it
# holds, else what was seen. `bare` is the screenshot without any veil.
def color(spot, expected, exact=False):
    def test(image, bare):
        actual = image.at(*spot)
        ok = actual == expected if exact else all(abs(a - e) <= 3 for a, e in zip(actual, expected))
        return None if ok else f"{actual} at {spot} instead of {expected}"
    return test


def unchanged(spot):
    """Exactly as without a veil."""
    return lambda image, bare: color(spot, bare.at(*spot), True)(image, bare)


def fine_detail(box, low, high, what):
    """The correlation of the fine detail in `box` with the bare picture's:
    about 1 where it is sharp, about 0 where it is smeared."""
    def test(image, bare):
        c = correlation(image.detail(box), bare.detail(box))
        return None if low <= c <= high else f"{what} at {box}: detail correlation {c:.2f}"
    return test


def patch(image, spot, half=16):
    """The grey levels of the square of `half` * 2 pixels around `spot`."""
    return [image.gray(spot[0] + i, spot[1] + j) for i in range(-half, half) for j in range(-half, half)]


def grained(spot, low=0.05, high=0.08):
    """Quorvel's grain on flat bare desktop: the spread of grey levels under
    the veil for each level the veil moved the mean. The grain varies the
    tint's cover, so the figure is the look's alone (about 0.066 at the
    default grain), whatever the desktop's colour."""
    def test(image, bare):
        grey = patch(image, spot)
        mean = sum(grey) / len(grey)
        shift = abs(mean - sum(patch(bare, spot)) / len(grey))
        spread = (sum((g - mean) ** 2 for g in grey) / len(grey)) ** 0.5
        ratio = spread / shift if shift else float("inf")
        return None if low <= ratio <= high else \
            f"grain of {spread:.1f} levels for a shift of {shift:.1f} ({ratio:.3f}) at {spot}"
    return test


def same_look(spot, reference=None, at=None, tolerance=2):
    """The mean grey around `spot` as around `at` (`spot` itself) in the
    `reference` picture (this one)."""
    def test(image, bare):
        a, b = (sum(patch(i, p)) / len(patch(i, p)) for i, p in ((image, spot), (reference or image, at or spot)))
        return None if abs(a - b) <= tolerance else f"mean grey {a:.1f} at {spot} instead of {b:.1f} at {at or spot}"
    return test


def sharp(box):
    return fine_detail(box, 0.95, 1.0 + 1e-9, "not sharp")  # rounding takes 1 a hair past


# Whether the compositor frosts (GetState's "frost"); a driver clears it
# where it does not (KWin on QPainter): what lies behind a veil is then
# tinted but keeps its detail, under the grain of Quorvel's own look (about
# 0.6 with it; frost takes it below 0.3).
frost = True


def smeared(box):
    smear = fine_detail(box, -0.3, 0.3, "not smeared")
    kept = fine_detail(box, 0.45, 1.0 + 1e-9, "detail lost without frost")
    return lambda image, bare: (smear if frost else kept)(image, bare)


def corners(window, rgb):
    """Two opposite corners just inside `window`, in its colour: they show
    it only once it is painted where the desktop reports it (KWin under load
    paints a window at its first place a while after moving it)."""
    x, y, w, h = window["x"], window["y"], window["width"], window["height"]
    return {(x + 2, y + 2): rgb, (x + w - 3, y + h - 3): rgb}


def bare_screenshot(desktop, colors, name="bare"):
    """A screenshot once every spot of `colors` shows its colour: the
    windows painted."""
    def painted():
        image = desktop.screenshot(name)
        return all(image.at(*spot) == rgb for spot, rgb in colors.items()) and image
    return poll(painted, 10, "the windows painted")


def looks(desktop, name, verdicts, bare, timeout=10):
    """Polls screenshots until every verdict holds; the misses of the last
    one are reported."""
    misses = []

    def holds():
        image = desktop.screenshot(name)
        misses[:] = [f"{name}: {label}: {problem}" for label, test in verdicts.items()
                     for problem in [test(image, bare)] if problem]
        return not misses
    held = poll(holds, timeout)
    if not held and getattr(desktop, "describe", None):
        # The picture stays on the machine that ran the test: its log says what the desktop held.
        print(f"{name}: {desktop.describe()}", flush=True)
    check(held, "; ".join(misses) or name)


# --- windows ---------------------------------------------------------------

def start_window(spec, desktop):
    """A color_window.py window, once mapped. `spec` holds color, width,
    height, and may hold text, above, desktop, resizable, at (x, y), app and env."""
    x, y = spec.get("at", (None, None))
    process = subprocess.Popen(
        ["/usr/bin/python3", os.path.join(HERE, "color_window.py"), "--title", spec["title"],
         "--color", "#%02x%02x%02x" % spec["color"], "--width", str(spec["width"]),
         "--height", str(spec["height"])] +
        (["--x", str(x), "--y", str(y)] if x is not None else []) +
        [f"--{flag}" for flag in ("text", "above", "desktop", "resizable") if spec.get(flag)] +
        (["--app", spec["app"]] if spec.get("app") else []),
        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
        env={**os.environ, **spec.get("env", {})})
    process.stdout.readline()
    return process


def listed(state, spec):
    """The window of `spec` in a state: by its title where the state has
    them (plain X11, where a tiling window manager sizes windows), else by
    its size, in which the test windows differ."""
    return next((w for w in state["windows"] if w.get("title", spec["title"]) == spec["title"] and
                 ("title" in w or (w["width"], w["height"]) == (spec["width"], spec["height"]))), None)


def close_windows(processes):
    for process in processes:
        process.stdin.close()
        process.wait(10)


def inside(window, x, y, margin=0):
    return (window["x"] - margin <= x < window["x"] + window["width"] + margin and
            window["y"] - margin <= y < window["y"] + window["height"] + margin)


# color_window.py's picture: plain colour this far inside its edges, a band of
# stripes across its middle and, with --text, lines of marks between; a box of
# marks is a few letters of a line.
MARGIN, BAND, BOX = 60, 48, (40, 14)


def plain_spot(window, avoid):
    """A spot of `window`'s plain colour, clear of the windows `avoid`."""
    left, top = window["x"] + MARGIN // 2, window["y"] + MARGIN // 2
    right, bottom = window["x"] + window["width"] - MARGIN // 2, window["y"] + window["height"] - MARGIN // 2
    for x, y in ((left, top), (right, bottom), (right, top), (left, bottom)):
        if not any(inside(a, x, y, 20) for a in avoid):
            return x, y
    raise AssertionError(f"no plain spot on {window}")


def bare_spot(area, windows, last=False):
    """A spot of bare desktop in `area` clear of `windows`, the one nearest
    the top left (`last`: the bottom right); None where windows cover it."""
    spots = [(x, y) for y in range(area["y"] + 30, area["y"] + area["height"] - 30, 10)
             for x in range(area["x"] + 30, area["x"] + area["width"] - 30, 10)
             if not any(inside(w, x, y, 30) for w in windows)]
    return (spots[-1] if last else spots[0]) if spots else None


def text_boxes(window, avoid, spec=None, clear=4):
    """Boxes of marks inside `window` clear of `avoid` by `clear` px, top
    left first. With the window's `spec`, inside its picture, which stays in
    the middle of a window a tiling window manager made larger."""
    if spec:
        window = {k: max(window[k], window[k] + (window[size] - spec[size]) // 2)
                  for k, size in (("x", "width"), ("y", "height"))} | \
            {size: min(window[size], spec[size]) for size in ("width", "height")}
    band = window["y"] + (window["height"] - BAND) // 2
    for y in range(window["y"] + MARGIN, window["y"] + window["height"] - MARGIN - BOX[1], 4):
        if band - 8 - BOX[1] < y < band + BAND + 8:
            continue
        for x in range(window["x"] + MARGIN, window["x"] + window["width"] - MARGIN - BOX[0], 4):
            ends = [(x, y), (x + BOX[0], y), (x, y + BOX[1]), (x + BOX[0], y + BOX[1])]
            if not any(inside(a, cx, cy, clear) for a in avoid for cx, cy in ends):
                yield (x, y, *BOX)


def run_test(main):
    """Runs `main`; a test that breaks off shows the compositor's log tail."""
    try:
        main()
    except Exception:
        for variable in ("QUORVEL_GNOME_LOG", "QUORVEL_KWIN_LOG"):
            log = os.environ.get(variable)
            if log and os.path.exists(log):
                with open(log, errors="replace") as f:
                    sys.stderr.write(f"--- {variable} (tail) ---\n" + "".join(f.readlines()[-40:]))
        raise
