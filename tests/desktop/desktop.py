"""What the desktop tests share: running Quorvel, opening sample windows and
reading what the X server reports. Standard library only; run inside
tests/sessions/virtual-desktop, which provides DISPLAY and the D-Bus session."""

import json
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

SETTINGS_FILE = "com.quorvel.settings.json"
# Said once everything is up, the scripting service last.
STARTUP_LINES = ["📡 D-Bus: io.github.quorvel.Quorvel1 ready"]


def fail(message):
    print(f"FAIL: {message}", flush=True)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)
    print(f"ok: {message}", flush=True)


def poll(predicate, limit=5.0, step=0.05):
    """Asks `predicate` until it holds; its last answer (falsy after `limit` s)."""
    end = time.monotonic() + limit
    while True:
        answer = predicate()
        if answer or time.monotonic() >= end:
            return answer
        time.sleep(step)


class Quorvel:
    """One Quorvel process with its own settings and runtime directories."""

    def __init__(self, binary, settings=None, settings_text=None, home=None):
        self.binary = binary
        self.home = home or tempfile.mkdtemp(prefix="quorvel-test-")
        self.config = os.path.join(self.home, "config", "quorvel")
        self.runtime = os.path.join(self.home, "runtime")
        os.makedirs(self.config, exist_ok=True)
        os.makedirs(self.runtime, mode=0o700, exist_ok=True)
        if settings is not None:
            settings_text = json.dumps(settings)
        if settings_text is not None:
            with open(self.settings_path, "w") as f:
                f.write(settings_text)
        self.log_path = os.path.join(self.home, "quorvel.log")
        self.process = None
        self.extra_env = {}  # for the program itself; None unsets

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


class SampleWindows:
    """xterms with titles, geometries and colours; closed on `close`."""

    def __init__(self):
        self.processes = {}

    def open(self, title, geometry, colour, command=("sleep", "600")):
        p = subprocess.Popen(["xterm", "-T", title, "-geometry", geometry, "-bg", colour,
                              "-e", *command], stderr=subprocess.DEVNULL)
        self.processes[title] = p
        wid = poll(lambda: client_id(title), limit=10)
        if not wid:
            fail(f"the window {title!r} did not appear")
        return wid

    def close(self):
        for p in self.processes.values():
            p.terminate()
        for p in self.processes.values():
            p.wait()


def run(*args):
    return subprocess.run(list(args), capture_output=True, text=True).stdout


def client_id(title):
    out = run("xdotool", "search", "--name", f"^{re.escape(title)}$").split()
    return int(out[0]) if out else 0


# A row of `xwininfo -root -tree`: indent, id, name, class, size, place on the screen.
ROW = re.compile(r'^( +)(0x[0-9a-f]+) (?:"(.*?)"|\(has no name\)): \((.*?)\)\s+(\d+)x(\d+)'
                 r'\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)')


def stacking():
    """{"active": id, "windows": the root's children front to back}, each with id,
    viewable, x, y, w, h (on the screen), name, cls ([instance, class]) and `inner`:
    the named windows inside it (a frame's client), in three processes in all."""
    active = run("xdotool", "getactivewindow").strip()
    shown = {int(w) for w in run("xdotool", "search", "--onlyvisible", "").split()}
    windows = []
    for m in map(ROW.match, run("xwininfo", "-root", "-tree").splitlines()):
        if not m:
            continue
        indent, wid, name, cls, w, h, x, y = m.groups()
        row = {"id": int(wid, 16), "viewable": int(wid, 16) in shown, "x": int(x), "y": int(y),
               "w": int(w), "h": int(h), "name": name or "",
               "cls": (re.findall(r'"(.*?)"', cls) + ["", ""])[:2]}
        if len(indent) == 5:  # the root's children; each level below is indented by three more
            windows.append(dict(row, inner=[]))
        elif windows and (name or cls):
            windows[-1]["inner"].append(row)
    return {"active": int(active or 0), "windows": windows}


def top_level_windows():
    """The root's children that are on screen, front to back."""
    return [w for w in stacking()["windows"] if w["viewable"]]


def is_viewable(wid):
    return any(row["id"] == wid and row["viewable"]
               for w in stacking()["windows"] for row in [w] + w["inner"])


def is_veil(row):
    """Whether a root child is one of Quorvel's veils: a monitor-sized quorvel
    window, override-redirect or inside a window manager's frame (the tray
    hint and the settings window share its class)."""
    return any(w["cls"] == ["quorvel", "Quorvel"] and w["w"] >= 640 and w["h"] >= 480
               for w in [row] + row["inner"])


def overlays():
    """Quorvel's veils that are on screen, front to back (root children)."""
    return [w for w in top_level_windows() if is_veil(w)]


def any_overlay_window_exists():
    """Any veil window at all, mapped or not."""
    return any(is_veil(w) for w in stacking()["windows"])


def frame_of(client, windows=None):
    """The root child that holds `client` (the window manager's frame), or
    `client` itself when it is one or is gone."""
    for w in windows or stacking()["windows"]:
        if w["id"] == client or any(row["id"] == client for row in w["inner"]):
            return w["id"]
    return client


def directly_below(client):
    """The veil right under `client`'s frame in the stacking order, if any."""
    stack = top_level_windows()
    order = [w["id"] for w in stack]
    frame = frame_of(client, stack)
    i = order.index(frame) if frame in order else len(order)
    return stack[i + 1] if i + 1 < len(stack) and is_veil(stack[i + 1]) else None


def stacking_report():
    """What to print when a placement check fails: the active window and the
    stack, front first, each window named by what it holds."""
    now = stacking()
    return f"active {now['active']:#x}; stack, front first: " + " | ".join(
        f"{w['id']:#x} {next((r['name'] for r in w['inner'] + [w] if r['name']), '')} "
        f"{w['w']}x{w['h']}+{w['x']}+{w['y']}" for w in now["windows"] if w["viewable"])


def monitors():
    """The RandR monitors: (name, x, y, w, h)."""
    result = []
    for line in run("xrandr", "--listmonitors").splitlines()[1:]:
        m = re.search(r"(\S+) (\d+)/\d+x(\d+)/\d+\+(\d+)\+(\d+)", line)
        if m:
            name, w, h, x, y = m.groups()
            result.append((name.lstrip("+*"), int(x), int(y), int(w), int(h)))
    return result


def client_geometry(client):
    """Where a client window is on screen: (x, y, w, h)."""
    row = next((r for w in stacking()["windows"] for r in [w] + w["inner"] if r["id"] == client),
               None) or fail(f"the window {client} is gone")
    return row["x"], row["y"], row["w"], row["h"]


def read_pixels(path):
    """An image file's pixels: a function (x, y) -> (r, g, b), 8 bits each."""
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True,
                          check=True).stdout
    # A binary PPM: "P6", width, height and maximum value, then the samples.
    header = data.split(maxsplit=4)
    width = int(header[1])
    offset = len(data) - int(header[1]) * int(header[2]) * 3
    return lambda x, y: tuple(data[offset + 3 * (y * width + x) + i] for i in range(3))


def colour(spec):
    """An "#rrggbb" colour as (r, g, b)."""
    return tuple(int(spec[i:i + 2], 16) for i in (1, 3, 5))
