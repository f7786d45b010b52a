"""What the settings-window test needs beyond desktop.py: where the window's
controls are on screen, read from the accessibility tree Qt publishes on the
session's AT-SPI bus (so no pixel offset is written down anywhere), and small
readers of the stored settings and the notification trace. Standard library
only; the D-Bus calls go through busctl."""

import base64
import json
import subprocess
from concurrent.futures import ThreadPoolExecutor

from desktop import Quorvel, poll, run

TRACE = "📣 "


class AccessibleQuorvel(Quorvel):
    """Quorvel that logs every notification it posts and publishes its widgets
    on the accessibility bus (Qt does so only when asked to)."""

    def env(self, **overrides):
        return super().env(**{"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                              "QUORVEL_TRACE_NOTIFICATIONS": "1", **overrides})


def busctl(*args, address=None):
    bus = [f"--address={address}"] if address else ["--user"]
    done = subprocess.run(["busctl", *bus, "--json=short", *args], capture_output=True, text=True,
                          timeout=10)
    if done.returncode != 0:
        return None
    try:
        return json.loads(done.stdout)["data"]
    except (ValueError, KeyError):
        return None


class Node:
    """One accessible object: a widget of the program as assistive tools see it."""

    def __init__(self, tree, bus_name, path):
        self.tree, self.bus_name, self.path = tree, bus_name, path
        self._name = self._role = None

    def call(self, interface, method, *signature_and_args):
        return self.tree.call(self.bus_name, self.path, interface, method, *signature_and_args)

    @property
    def name(self):
        if self._name is None:
            data = self.call("org.freedesktop.DBus.Properties", "Get", "ss",
                             "org.a11y.atspi.Accessible", "Name")
            self._name = data[0]["data"] if data else ""
        return self._name

    def label(self):
        """The name as it reads now (`name` keeps the first answer)."""
        data = self.call("org.freedesktop.DBus.Properties", "Get", "ss",
                         "org.a11y.atspi.Accessible", "Name")
        return data[0]["data"] if data else ""

    @property
    def role(self):
        if self._role is None:
            data = self.call("org.a11y.atspi.Accessible", "GetRoleName")
            self._role = data[0] if data else ""
        return self._role

    def children(self):
        data = self.call("org.a11y.atspi.Accessible", "GetChildren")
        found = [Node(self.tree, b, p) for b, p in data[0]] if data else []
        # One round trip each: asked side by side, a level costs about one.
        with ThreadPoolExecutor(max_workers=8) as pool:
            list(pool.map(lambda n: (n.name, n.role), found))
        return found

    def checked(self):
        """Whether the control shows itself as checked (a selected tab, say)."""
        data = self.call("org.a11y.atspi.Accessible", "GetState")
        return bool(data and data[0][0] & (1 << 4))

    def extents(self):
        """(x, y, width, height) on the screen; None when it cannot be read."""
        data = self.call("org.a11y.atspi.Component", "GetExtents", "u", "0")
        return tuple(data[0]) if data else None

    def center(self):
        x, y, w, h = self.extents()
        return x + w // 2, y + h // 2

    def find_all(self, predicate, depth=8):
        """Descendants for which `predicate` holds, in tree order."""
        found = []
        if depth == 0:
            return found
        for child in self.children():
            if predicate(child):
                found.append(child)
            found.extend(child.find_all(predicate, depth - 1))
        return found

    def find(self, predicate, depth=8):
        """The first descendant, breadth first, for which `predicate` holds."""
        level = [self]
        for _ in range(depth):
            following = []
            for node in level:
                for child in node.children():
                    if predicate(child):
                        return child
                    following.append(child)
            level = following
        return None

    def __repr__(self):
        return f"<{self.role} {self.name!r}>"


class AccessibilityTree:
    """The programs on this session's accessibility bus."""

    def __init__(self):
        data = busctl("call", "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress")
        if not data:
            raise RuntimeError("the session has no accessibility bus")
        self.address = data[0]

    def call(self, bus_name, path, interface, method, *signature_and_args):
        return busctl("call", bus_name, path, interface, method, *signature_and_args,
                      address=self.address)

    def applications(self):
        registry = Node(self, "org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
        return registry.children()

    def top_level(self, predicate, limit=10.0):
        """The first top-level window of any program that `predicate` accepts;
        None after `limit` s."""
        def look():
            for app in self.applications():
                for top in app.children():
                    if predicate(top):
                        return top
            return None
        return poll(look, limit=limit, step=0.2)

    def window(self, title, limit=10.0):
        return self.top_level(lambda top: top.name == title, limit)


def window_geometry(wid):
    """(x, y, width, height) of a window on the screen, from xwininfo."""
    info = {}
    for line in run("xwininfo", "-id", str(wid)).splitlines():
        key, _, value = line.strip().partition(":")
        info[key] = value.strip()
    try:
        return (int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"]),
                int(info["Width"]), int(info["Height"]))
    except (KeyError, ValueError):
        return None


def inside(point, rect):
    x, y = point
    rx, ry, rw, rh = rect
    return rx <= x < rx + rw and ry <= y < ry + rh


def window_pixels(wid):
    """The window's contents as (width, height, RGB bytes)."""
    data = subprocess.run(["import", "-window", str(wid), "ppm:-"], capture_output=True,
                          timeout=20).stdout
    if not data.startswith(b"P6"):
        return 0, 0, b""
    fields, pos = [], 0
    while len(fields) < 4:  # magic, width, height, maximum
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def changed_below(wid, before, top):
    """The window's image now if it differs from `before` below row `top`, else None."""
    now = window_pixels(wid)
    (width, height, pixels), (width_before, _, pixels_before) = now, before
    if width != width_before:
        return now
    start, end = top * width * 3, height * width * 3
    return now if pixels[start:end] != pixels_before[start:end] else None


def stored(app, key):
    """The value the program stored under `key`; None while unreadable."""
    try:
        with open(app.settings_path) as f:
            return json.load(f).get(key)
    except (OSError, ValueError):
        return None


def stored_shortcut(app, key):
    """A stored shortcut as (keyCode, modifiers); None when missing or cleared."""
    value = stored(app, key)
    try:
        combo = json.loads(base64.b64decode(value["$data"]))
        return combo["keyCode"], combo["modifiers"]
    except (TypeError, KeyError, ValueError):
        return None


def trace(app, since=0):
    """The notifications the program posted, in order, from line `since` on."""
    return [line[len(TRACE):] for line in app.lines()[since:] if line.startswith(TRACE)]
