"""The plain X11 session driver of the Quorvel suite (see desktop_common.py):
Quorvel's own XCB backend under a window manager and picom
(tests/sessions/virtual-desktop). No compositor component answers there, so
the desktop's state is read from the X server itself; pictures are of the X
root, the pointer and keys go through XTest, windows are placed and their
states set as a pager asks the window manager."""
import os
import re
import subprocess

from desktop_common import Image, poll, start_window, xdotool_click, xdotool_keys


def x(*command, check=True):
    return subprocess.run(command, capture_output=True, text=True, check=check, timeout=10).stdout


def geometry(*window):
    info = x("xwininfo", *window)
    g = dict(re.findall(r"(Absolute upper-left [XY]|Width|Height):\s+(-?\d+)", info))
    return {"x": int(g["Absolute upper-left X"]), "y": int(g["Absolute upper-left Y"]),
            "width": int(g["Width"]), "height": int(g["Height"])}


class X11Desktop:
    name = "x11"
    keyboard = pointer = True

    def __init__(self, shots, prefix, bus):
        self.prefix, self.shots, self.bus = prefix, shots, bus
        # Super on Mod3, as some keyboard maps have it: Quorvel's shortcuts
        # must follow the map rather than take Super for Mod4.
        x("xmodmap", "-e", "remove mod4 = Super_L Super_R", "-e", "add mod3 = Super_L Super_R", check=False)
        # A desktop of a colour of its own, as a file manager draws one: picom
        # paints a bare root mid-grey, close to the veil's own tint. Not on a
        # tiling window manager (i3), which floats it over every tile.
        if os.environ.get("QUORVEL_WM") != "i3":
            start_window({"title": "Desktop", "color": (0x2A, 0x4D, 0x7A), "desktop": True, "at": (0, 0),
                          **{k: v for k, v in geometry("-root").items() if k in ("width", "height")}}, self)

    def state(self):
        """The part of a compositor's GetState the suite reads: the monitors
        with their work areas, the managed windows front first."""
        # i3, awesome and KWin without Plasma publish no work area: the screen is all of it.
        work = x("xprop", "-root", "_NET_WORKAREA", check=False)
        area = [int(v) for v in work.split("=")[1].split(",")[:4]] if "=" in work else [0, 0, 1 << 15, 1 << 15]
        monitors = []
        for w, h, mx, my in re.findall(r"(\d+)/\d+x(\d+)/\d+\+(\d+)\+(\d+)", x("xrandr", "--listmonitors")):
            m = {"x": int(mx), "y": int(my), "width": int(w), "height": int(h)}
            left, top = max(m["x"], area[0]), max(m["y"], area[1])
            right = min(m["x"] + m["width"], area[0] + area[2])
            bottom = min(m["y"] + m["height"], area[1] + area[3])
            monitors.append({**m, "workArea": {"x": left, "y": top, "width": right - left, "height": bottom - top}})
        windows = []
        for window in reversed(re.findall(r"0x[0-9a-f]+", x("xprop", "-root", "_NET_CLIENT_LIST_STACKING"))):
            w = geometry("-id", window)
            w["title"] = "".join(re.findall(r'^xwininfo: .*? "(.*)"$', x("xwininfo", "-id", window), re.M))
            middle = (w["x"] + w["width"] // 2, w["y"] + w["height"] // 2)
            w["monitor"] = next((i for i, m in enumerate(monitors) if m["x"] <= middle[0] < m["x"] + m["width"]), 0)
            windows.append(w)
        return {"monitors": monitors, "windows": windows}

    def screenshot(self, name):
        path = f"{self.shots}/x11_{self.prefix}_{name}.png"
        x("import", "-window", "root", path)
        return Image(path)

    def place(self, title, x_, y):
        # A window mapped may not be managed yet: wmctrl finds it only then.
        poll(lambda: subprocess.run(["wmctrl", "-F", "-r", title, "-e", f"0,{x_},{y},-1,-1"]).returncode == 0,
             10, f"{title} managed and placed")

    def move_pointer(self, x_, y):
        x("xdotool", "mousemove", str(x_), str(y))

    def click(self, x_, y, button=1, shift=False):
        xdotool_click(x_, y, button, shift)

    activate = lambda self, title, spot: self.click(*spot)  # as a user would give `title` the focus

    def press(self, *keysyms, hold=0.03):
        xdotool_keys(*keysyms, hold=hold)

    def keep_above(self, title):
        x("wmctrl", "-F", "-r", title, "-b", "toggle,above")

    def switch_workspace(self, step):
        """As a pager asks: every monitor's windows go."""
        current = next(int(line.split()[0]) for line in x("wmctrl", "-d").splitlines() if " * " in line)
        x("wmctrl", "-s", str(current + step))

    def unplug(self, index):
        """Takes the RandR monitor `index` away; what it returns brings it back."""
        name, size = re.findall(r"\d+: [+*]*(\S+) (\S+)", x("xrandr", "--listmonitors"))[index]
        x("xrandr", "--delmonitor", name)
        return lambda: x("xrandr", "--setmonitor", name, size, "none")

    def tray_icon(self):
        """The middle of Quorvel's icon in the tray, if it shows."""
        for window in x("xdotool", "search", "--onlyvisible", "--class", "quorvel", check=False).split():
            w = geometry("-id", window)
            if w["width"] <= 64 and w["height"] <= 64:
                return w["x"] + w["width"] // 2, w["y"] + w["height"] // 2
        return None
