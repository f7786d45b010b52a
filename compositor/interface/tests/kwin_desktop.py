"""The KWin session driver of the component tests (see desktop_common.py):
screenshots of the X root on X11 (what Xvfb shows, taken past KWin); on
Wayland KWin's own ScreenShot2 where KWin paints with OpenGL, else the
effect's Screenshot (test sessions only), which takes what KWin painted on
every output; windows placed by a KWin script, as a Wayland client cannot
place itself; the pointer through XTest on X11."""
import json
import os
import subprocess
import tempfile
import threading

import desktop_common
from desktop_common import (QUORVEL, SESSION, Image, call, check, new_connection,  # noqa: F401
                            poll)
from gi.repository import GdkPixbuf, Gio, GLib  # noqa: E402

# QImage::Format numbers ScreenShot2 may report, and where R, G and B sit in
# each 4-byte pixel (native-endian words; this machine is little-endian).
QIMAGE_RGB_OFFSETS = {4: (2, 1, 0), 5: (2, 1, 0), 6: (2, 1, 0), 16: (0, 1, 2), 17: (0, 1, 2), 18: (0, 1, 2)}

BACKEND = os.environ.get("QUORVEL_KWIN_BACKEND", SESSION)
# The X server the user's pointer and keys and the pictures go through: the
# session's own on X11, the one KWin's window is on when nested.
HOST = {"x11": os.environ.get("DISPLAY"), "nested": os.environ.get("QUORVEL_KWIN_HOST_DISPLAY")}.get(BACKEND)


def on_host(*command):
    subprocess.run(list(command), check=True, timeout=30, env={**os.environ, "DISPLAY": HOST})



class KWinDesktop:
    name = "kwin"
    keyboard = pointer = bool(HOST)  # KWin's virtual outputs have neither of a user's

    def __init__(self, shots, prefix, bus):
        self.prefix, self.shots, self.bus = prefix, shots, bus
        self.session_bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        self._scripts = 0
        # KWin on QPainter veils without frost.
        desktop_common.frost = json.loads(call(bus, "GetState")[0])["frost"]

    def screenshot(self, name):
        path = os.path.abspath(os.path.join(self.shots, f"kwin_{self.prefix}_{BACKEND}_{name}.png"))
        if HOST:
            on_host("import", "-window", "root", path)
        elif desktop_common.frost and self._screenshot2(path):
            pass  # KWin 6.7 has ScreenShot2 on QPainter too, where it fails
        elif self.bus:
            check(call(self.bus, "Screenshot", "s", (path,))[0], f"Screenshot refused for {name}")
        else:
            # No owner: the effect answers only one, so one is made for the picture.
            shooter = new_connection()
            try:
                call(shooter, "RequestName", "su", (QUORVEL, 4), dest="org.freedesktop.DBus",
                     path="/org/freedesktop/DBus", iface="org.freedesktop.DBus")
                check(call(shooter, "Screenshot", "s", (path,))[0], f"Screenshot refused for {name}")
            finally:
                shooter.close_sync(None)
        return Image(path)

    def _screenshot2(self, path):
        """The whole desktop through KWin's ScreenShot2 into `path`; False
        where KWin has none (QPainter)."""
        read_end, write_end = os.pipe()
        chunks = []

        # KWin writes from a thread of its own, maybe before it answers.
        def drain():
            try:
                while chunk := os.read(read_end, 1 << 20):
                    chunks.append(chunk)
            finally:
                os.close(read_end)
        reader = threading.Thread(target=drain, daemon=True)
        reader.start()
        fds = Gio.UnixFDList.new()
        try:
            fds.append(write_end)
            reply, _ = self.session_bus.call_with_unix_fd_list_sync(
                "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureWorkspace", GLib.Variant("(a{sv}h)", ({}, 0)), None,
                Gio.DBusCallFlags.NONE, 20000, fds, None)
        except GLib.Error as e:
            if "UnknownObject" in e.message or "UnknownMethod" in e.message:
                return False
            raise
        finally:
            # The end of the image is the end of the pipe: every copy of the
            # writing end must be closed for it to come.
            os.close(write_end)
            for fd in fds.steal_fds():
                os.close(fd)
            reader.join(30)
        meta = reply.unpack()[0]
        width, height, stride = meta["width"], meta["height"], meta["stride"]
        data = b"".join(chunks)
        offsets = QIMAGE_RGB_OFFSETS[meta["format"]]
        rgb = bytearray(width * height * 3)
        for y in range(height):
            row, out = data[y * stride:y * stride + width * 4], memoryview(rgb)[y * width * 3:(y + 1) * width * 3]
            for channel, offset in enumerate(offsets):
                out[channel::3] = row[offset::4]
        GdkPixbuf.Pixbuf.new_from_bytes(GLib.Bytes.new(bytes(rgb)), GdkPixbuf.Colorspace.RGB, False, 8,
                                        width, height, width * 3).savev(path, "png", [], [])
        return True

    def place(self, title, x, y):
        """Moves the window titled `title` to x, y, so that both sessions lay
        windows out alike; a client that is mapped may not be managed yet."""
        def moved():
            return self.run_script(
                f"let n = 0; for (const w of windows()) if (w.caption === {json.dumps(title)}) {{"
                f" w.frameGeometry = {{x: {x}, y: {y}, width: w.width, height: w.height}}; n++; }}"
                f" answer(n);") != "0"
        poll(moved, 20, f"{title} managed by KWin and placed")

    def move_pointer(self, x, y):
        if not HOST:
            raise NotImplementedError("no pointer of a user's on KWin's virtual outputs")
        on_host("xdotool", "mousemove", str(x), str(y), "sleep", "0.1")

    def click(self, x, y, button=1, shift=False):
        if not HOST:
            raise NotImplementedError("no pointer of a user's on KWin's virtual outputs")
        desktop_common.xdotool_click(x, y, button, shift, HOST)
        # Nested, KWin paints the pointer into the picture: parked in the
        # top-left corner, clear of every spot a test judges.
        self.move_pointer(0, 0)

    def activate(self, title, spot):
        """Gives `title` the focus: a click on `spot` on X11; on Wayland, with
        no user's pointer here, as a pager would."""
        if HOST:
            return self.click(*spot)
        # WORKAROUND(KWin 5.27): activeClient; KWin 6: activeWindow.
        self.run_script(
            f"for (const w of windows()) if (w.caption === {json.dumps(title)}) {{"
            " if ('activeWindow' in workspace) workspace.activeWindow = w;"
            " else workspace.activeClient = w; }")

    def keep_above(self, title):
        self.run_script(f"for (const w of windows()) if (w.caption === {json.dumps(title)})"
                        " w.keepAbove = !w.keepAbove;")

    def switch_workspace(self, step):
        """As a pager asks, with a second virtual desktop made if there is none."""
        # WORKAROUND(KWin 5.27): desktops is a count and a desktop a number;
        # KWin 6: a list of desktop objects.
        self.run_script(
            "if (typeof workspace.desktops === 'number') {"
            " if (workspace.desktops < 2) workspace.desktops = 2;"
            f" workspace.currentDesktop = workspace.currentDesktop + {step}; }} else {{"
            " if (workspace.desktops.length < 2) workspace.createDesktop(1, 'Two');"
            " const i = workspace.desktops.indexOf(workspace.currentDesktop);"
            f" workspace.currentDesktop = workspace.desktops[i + {step}]; }}")

    def press(self, *keysyms, hold=0.03):
        """The keys as a user types them (not on KWin's virtual outputs,
        which have no user's keyboard)."""
        if not HOST:
            raise NotImplementedError("no user's keyboard on KWin's virtual outputs")
        desktop_common.xdotool_keys(*keysyms, display=HOST, hold=hold)

    def run_script(self, body):
        """Runs `body` in KWin's scripting engine, with windows() for the list
        of windows whatever the KWin. What it passes to answer() comes back
        (KWin prints it to its log, the only way out of a script without a
        D-Bus service to call), else None."""
        self._scripts += 1
        name = f"quorvel-test-{os.getpid()}-{self._scripts}"
        tag = f"<{name}>"
        prelude = (f"function answer(text) {{ print({json.dumps(tag)} + ' ' + text); }}\n"
                   # WORKAROUND(KWin 5.27): clientList(); KWin 6: windowList().
                   "function windows() { return workspace.windowList ? workspace.windowList()"
                   " : workspace.clientList(); }\n")
        with tempfile.NamedTemporaryFile("w", suffix=".js", delete=False) as f:
            f.write(prelude + body + "\n")
        kwin = dict(dest="org.kde.KWin", iface="org.kde.kwin.Scripting", path="/Scripting")
        try:
            script = call(self.session_bus, "loadScript", "ss", (f.name, name), **kwin)[0]
            if script < 0:
                raise RuntimeError(f"KWin refused the script {name}")
            # WORKAROUND(KWin 5.27): a loaded script is at /<id>; later at
            # /Scripting/Script<id>.
            for path in (f"/Scripting/Script{script}", f"/{script}"):
                try:
                    call(self.session_bus, "run", dest="org.kde.KWin", path=path, iface="org.kde.kwin.Script")
                    break
                except Exception as e:  # noqa: BLE001 - GLib.Error, told apart by its text
                    if "UnknownObject" not in str(e) and "UnknownMethod" not in str(e):
                        raise
            else:
                raise RuntimeError(f"KWin loaded the script {name} but exported no object for it")
            if "answer(" not in body:
                return None

            def answered():
                with open(os.environ["QUORVEL_KWIN_LOG"], errors="replace") as lines:
                    for line in lines:
                        if tag + " " in line:
                            return line.split(tag + " ", 1)[1].rstrip("\n")
                return None
            return poll(answered, 10, f"an answer from the script {name}")
        finally:
            call(self.session_bus, "unloadScript", "s", (name,), **kwin)
            os.unlink(f.name)
