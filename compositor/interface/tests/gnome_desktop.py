"""The GNOME session driver of the component tests (see desktop_common.py):
screenshots from the extension's own Screenshot (test sessions only), and a
user's pointer and keys through mutter's remote-desktop interface."""
import os
import time
import subprocess

from desktop_common import SESSION, Image, call, check, new_connection, poll, xdotool_click, xdotool_keys

SHIFT_L, SUPER_L, F12, PAGE_UP, PAGE_DOWN = 0xFFE1, 0xFFEB, 0xFFC9, 0xFF55, 0xFF56
BUTTON_CODES = {1: 0x110, 2: 0x112, 3: 0x111}  # BTN_LEFT, BTN_MIDDLE, BTN_RIGHT


class GnomeDesktop:
    name = "gnome"
    keyboard = pointer = True
    place = None  # mutter places every window itself

    def __init__(self, shots, prefix, bus):
        self.prefix, self.shots, self.bus = prefix, shots, bus
        self._shooter = None
        remote = dict(dest="org.gnome.Mutter.RemoteDesktop", path="/org/gnome/Mutter/RemoteDesktop",
                      iface="org.gnome.Mutter.RemoteDesktop")
        # A connection of its own: the session ends with the connection that
        # made it, and the owner's may be closed by the test.
        remote_bus = new_connection()
        session = call(remote_bus, "CreateSession", **remote)[0]
        self.input = lambda method, signature=None, args=(): call(
            remote_bus, method, signature, args, dest="org.gnome.Mutter.RemoteDesktop", path=session,
            iface="org.gnome.Mutter.RemoteDesktop.Session")
        self.input("Start")
        # Mutter's own key for keeping a window above, bound as a user may bind it.
        subprocess.run(["gsettings", "set", "org.gnome.desktop.wm.keybindings", "toggle-above", "['<Super>F12']"],
                       check=True, timeout=10)

    def screenshot(self, name):
        """Through the extension while there is an owner (self.bus); else
        through the shell's own interface, which answers only a caller that
        owns a name the shell lets take pictures (GNOME 50 allows only
        the media keys daemon and the portal)."""
        path = os.path.join(self.shots, f"gnome_{self.prefix}_{SESSION}_{name}.png")
        if self.bus:
            # llvmpipe paints and encodes an 8K picture in seconds, and more on
            # two cores shared with other sessions.
            check(call(self.bus, "Screenshot", "s", (path,), timeout=90000)[0], f"Screenshot refused for {name}")
        else:
            if not self._shooter:
                self._shooter = new_connection()
                call(self._shooter, "RequestName", "su", ("org.gnome.SettingsDaemon.MediaKeys", 4),
                     dest="org.freedesktop.DBus", path="/org/freedesktop/DBus", iface="org.freedesktop.DBus")
            check(call(self._shooter, "Screenshot", "bbs", (False, False, path), dest="org.gnome.Shell.Screenshot",
                       path="/org/gnome/Shell/Screenshot", iface="org.gnome.Shell.Screenshot")[0],
                  f"the shell's Screenshot refused {name}")
        return Image(path)

    def move_pointer(self, x, y):
        if not self.bus and SESSION == "x11":
            subprocess.run(["xdotool", "mousemove", str(x), str(y), "sleep", "0.1"], check=True, timeout=10)
            return
        if not self.bus:
            # Without the owner's GetPointer: from the top-left corner, where
            # the shell stops any motion past the edge; virtual devices move
            # unaccelerated.
            self.input("NotifyPointerMotionRelative", "dd", (-100000.0, -100000.0))
            self.input("NotifyPointerMotionRelative", "dd", (float(x), float(y)))
            return

        def arrived():
            px, py = call(self.bus, "GetPointer")
            if (px, py) == (x, y):
                return True
            self.input("NotifyPointerMotionRelative", "dd", (float(x - px), float(y - py)))
            return False
        poll(arrived, 10, f"the pointer at {x},{y}")

    def click(self, x, y, button=1, shift=False):
        if not self.bus and SESSION == "x11":
            # The shell's virtual pointer moves through XTest there, which
            # the X server accelerates: the X server's own pointer instead.
            return xdotool_click(x, y, button, shift)
        self.move_pointer(x, y)
        if shift:
            self.input("NotifyKeyboardKeysym", "ub", (SHIFT_L, True))
        self.input("NotifyPointerButton", "ib", (BUTTON_CODES[button], True))
        self.input("NotifyPointerButton", "ib", (BUTTON_CODES[button], False))
        if shift:
            self.input("NotifyKeyboardKeysym", "ub", (SHIFT_L, False))

    activate = lambda self, title, spot: self.click(*spot)  # as a user would give `title` the focus

    def press(self, *keysyms, hold=0.0):
        """Holds each key down in turn, the last `hold` s, then lets them go in reverse."""
        if not self.bus and SESSION == "x11":
            return xdotool_keys(*keysyms, hold=hold or 0.03)
        for keysym in keysyms:
            self.input("NotifyKeyboardKeysym", "ub", (keysym, True))
        time.sleep(hold)
        for keysym in reversed(keysyms):
            self.input("NotifyKeyboardKeysym", "ub", (keysym, False))

    def keep_above(self, title):
        """Of the focused window, `title`."""
        self.press(SUPER_L, F12)

    def switch_workspace(self, step):
        """The primary monitor's only: GNOME keeps the others' windows in place."""
        self.press(SUPER_L, PAGE_DOWN if step > 0 else PAGE_UP)
