"""What the desktop tests share: running Quorvel, opening sample windows and
reading what the X server reports (python3-xlib); run inside
tests/sessions/virtual-desktop, which provides DISPLAY and the D-Bus session."""

import json
import os
import re
import signal
import subprocess
import sys
import tempfile

# The one check and poll of every desktop test: the component tests'.
sys.path.append(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../compositor/interface/tests"))
from desktop_common import check, poll  # noqa: E402,F401

SETTINGS_FILE = "com.quorvel.settings.json"
# Said once everything is up, the scripting service last.
STARTUP_LINES = ["📡 D-Bus: io.github.quorvel.Quorvel1 ready"]


class Quorvel:
    """One Quorvel process with its own settings and runtime directories."""

    def __init__(self, binary, settings=None, settings_text=None, home=None, env=None):
        self.binary = binary
        self.home = home or tempfile.mkdtemp(prefix="quorvel-test-")
        self.config = os.path.join(self.home, "config", "quorvel")
        self.runtime = os.path.join(self.home, "runtime")
        os.makedirs(self.config, exist_ok=True)
        os.makedirs(self.runtime, mode=0o700, exist_ok=True)
        if settings is not None or settings_text is not None:
            with open(self.settings_path, "w") as f:
                f.write(settings_text if settings is None else json.dumps(settings))
        self.log_path = os.path.join(self.home, "quorvel.log")
        self.process = None
        self.extra_env = env or {}  # for the program itself; None unsets

    @property
    def settings_path(self):
        return os.path.join(self.config, SETTINGS_FILE)

    def env(self, **overrides):
        env = dict(os.environ)
        env["XDG_CONFIG_HOME"] = os.path.dirname(self.config)
        env["XDG_RUNTIME_DIR"] = self.runtime
        env.update(overrides)
        return {k: v for k, v in env.items() if v is not None}

    def start(self):
        log = open(self.log_path, "w")
        self.process = subprocess.Popen([self.binary], stdout=log, stderr=subprocess.STDOUT,
                                        env=self.env(**self.extra_env))
        return self

    def run_once(self, timeout=10, **env):
        """Runs another process of the program to its end: (status, output)."""
        done = subprocess.run([self.binary], capture_output=True, text=True, timeout=timeout,
                              env=self.env(**env))
        return done.returncode, done.stdout + done.stderr

    def output(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def lines(self):
        return self.output().splitlines()

    def wait_for_lines(self, expected, limit=10.0):
        return poll(lambda: all(line in self.lines() for line in expected), limit)

    def signal(self, number):
        self.process.send_signal(number)

    def wait(self, limit=10.0):
        try:
            return self.process.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            return None

    def stop(self):
        if self.process and self.process.poll() is None:
            self.signal(signal.SIGTERM)
            return self.wait()
        return self.process.returncode if self.process else None


def sample_window(title, geometry, colour):
    """An xterm of that title, geometry and colour, once it shows: its
    process, which the test ends, and its window."""
    process = subprocess.Popen(["xterm", "-T", title, "-geometry", geometry, "-bg", colour, "-e", "sleep", "600"],
                               stderr=subprocess.DEVNULL)
    return process, poll(lambda: client_id(title), 10, f"the window {title!r}")


def run(*args):
    return subprocess.run(list(args), capture_output=True, text=True).stdout


def client_id(title):
    out = run("xdotool", "search", "--name", f"^{re.escape(title)}$").split()
    return int(out[0]) if out else 0


_x = []  # one connection to the X server for every reading
_holds = {}  # root child -> (what lies inside it, whether it is a veil), once it holds a client


def _display():
    # Imported on first use: the tests that read no stacking run on any Python.
    global Xlib
    if not _x:
        import Xlib.display
        import Xlib.error
        import Xlib.X
        _x.append(Xlib.display.Display())
    return _x[0]


def active_window():
    d = _display()
    active = d.screen().root.get_full_property(d.intern_atom("_NET_ACTIVE_WINDOW"), Xlib.X.AnyPropertyType)
    return int(active.value[0]) if active and len(active.value) else 0


def _inside(window):
    """Every window inside `window` and itself, and whether one is a veil: a
    monitor-sized quorvel window (the tray icon and the settings window share
    its class)."""
    if window.id in _holds:
        return _holds[window.id]
    ids, veil, client, todo = set(), False, False, [window]
    while todo:
        w = todo.pop()
        try:
            size, cls = w.get_geometry(), w.get_wm_class()
            todo += w.query_tree().children
        except Xlib.error.XError:  # gone meanwhile
            continue
        ids.add(w.id)
        client |= cls is not None
        veil |= cls == ("quorvel", "Quorvel") and size.width >= 640 and size.height >= 480
    if client:  # a frame made before its client was put in it would be cached empty
        _holds[window.id] = (ids, veil)
    return ids, veil


def stacking(shown_only=True):
    """The root's children, front first (those on screen only, unless told),
    each {"ids": it and every window inside it (a frame's client), "veil":
    whether it is or holds one of Quorvel's veils, "box": (x, y, w, h)}. The
    order is one moment's: one request (QueryTree), so a reading measures
    the program, not the tool."""
    rows = []
    for child in reversed(_display().screen().root.query_tree().children):
        try:
            shown = child.get_attributes().map_state == Xlib.X.IsViewable
            if shown_only and not shown:
                continue
            g = child.get_geometry()
        except Xlib.error.XError:
            continue
        ids, veil = _inside(child)
        rows.append({"ids": ids, "veil": veil, "shown": shown, "box": (g.x, g.y, g.width, g.height)})
    return rows


def overlays():
    """Quorvel's veils that are on screen, front to back."""
    return [r for r in stacking() if r["veil"]]


def any_overlay_window_exists():
    """Any veil window at all, mapped or not."""
    return any(r["veil"] for r in stacking(shown_only=False))
