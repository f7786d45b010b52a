"""The KWin session driver of the component tests (see desktop_common.py):
screenshots and focus changes the way KWin offers them on X11 and on
Wayland. Still to come for the shared suite: move_pointer() and click()."""
import json
import os
import subprocess
import sys
import tempfile
import threading

HERE = os.path.dirname(os.path.abspath(__file__))

from desktop_common import SESSION, Image, call, wait_until  # noqa: E402
from gi.repository import GdkPixbuf, Gio, GLib  # noqa: E402

# QImage::Format numbers ScreenShot2 may report, and where R, G and B sit in
# each 4-byte pixel (QImage's 32-bit formats are native-endian words; this
# machine's are little-endian).
_QIMAGE_RGB_OFFSETS = {
    4: (2, 1, 0),   # Format_RGB32
    5: (2, 1, 0),   # Format_ARGB32
    6: (2, 1, 0),   # Format_ARGB32_Premultiplied
    16: (0, 1, 2),  # Format_RGBX8888
    17: (0, 1, 2),  # Format_RGBA8888
    18: (0, 1, 2),  # Format_RGBA8888_Premultiplied
}


def rgb_from_raw(data, width, height, stride, image_format):
    """Packed RGB rows from a raw ScreenShot2 image. The screen is opaque, so
    premultiplied and straight alpha read the same."""
    if image_format not in _QIMAGE_RGB_OFFSETS:
        raise ValueError(f"screenshot in QImage format {image_format}, which this test cannot read")
    offsets = _QIMAGE_RGB_OFFSETS[image_format]
    rgb = bytearray(width * height * 3)
    for y in range(height):
        row = data[y * stride:y * stride + width * 4]
        out = memoryview(rgb)[y * width * 3:(y + 1) * width * 3]
        for channel, offset in enumerate(offsets):
            out[channel::3] = row[offset::4]
    return bytes(rgb)


class KWinDesktop:
    """The desktop as the KWin tests see it; state() needs the effect."""

    name = "kwin"

    def __init__(self, shots, prefix, bus):
        self.prefix = prefix
        self.shots = shots
        self.bus = bus  # the owner's: the effect answers no one else
        self.kwin_bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)  # KWin's own interfaces
        self._scripts = 0

    def state(self):
        return json.loads(call(self.bus, "GetState")[0])

    def window(self, title, state=None):
        state = state or self.state()
        return next((w for w in state["windows"] if w["title"] == title), None)

    def screenshot(self, name):
        path = os.path.join(self.shots, f"kwin_{self.prefix}_{SESSION}_{name}.png")
        if SESSION == "wayland":
            self._capture_wayland(path)
        else:
            subprocess.run(["import", "-window", "root", path], check=True, timeout=30)
        return Image(path)

    def _capture_wayland(self, path):
        # The whole screen: the union of the outputs, from KWin's own list.
        width, height = self.screen_size()
        read_end, write_end = os.pipe()
        chunks = []

        # KWin writes the image from a thread of its own, possibly before it
        # answers, so the pipe is drained while the call waits.
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
            reply, _ = self.kwin_bus.call_with_unix_fd_list_sync(
                "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureArea",
                GLib.Variant("(iiuua{sv}h)", (0, 0, width, height, {}, 0)), None,
                Gio.DBusCallFlags.NONE, 20000, fds, None)
        finally:
            # The end of the image is the end of the pipe: every copy of the
            # writing end, the list's too, must be closed for it to come.
            os.close(write_end)
            for fd in fds.steal_fds():
                os.close(fd)
            reader.join(30)
        if reader.is_alive():
            raise RuntimeError("ScreenShot2 never closed its pipe")
        meta = reply.unpack()[0]
        if meta.get("type") != "raw":
            raise RuntimeError(f"ScreenShot2 answered {meta}")
        data = b"".join(chunks)
        w, h, stride = meta["width"], meta["height"], meta["stride"]
        if len(data) < stride * h:
            raise RuntimeError(f"ScreenShot2 wrote {len(data)} bytes for {meta}")
        rgb = rgb_from_raw(data, w, h, stride, meta["format"])
        GdkPixbuf.Pixbuf.new_from_bytes(GLib.Bytes.new(rgb), GdkPixbuf.Colorspace.RGB, False, 8,
                                        w, h, w * 3).savev(path, "png", [], [])

    def screen_size(self):
        """The bounding box of every output, from a KWin script (which works
        with or without the effect)."""
        width, height = self.run_script("const r = workspace.virtualScreenGeometry;"
                                        "answer(r.width + ' ' + r.height);").split()
        return int(width), int(height)

    def run_script(self, body):
        """Runs `body` in KWin's scripting engine. What it passes to answer()
        comes back (KWin prints it to its log, the only way out of a script
        without a D-Bus service to call), else None."""
        self._scripts += 1
        name = f"quorvel-test-{os.getpid()}-{self._scripts}"
        tag = f"<{name}>"
        with tempfile.NamedTemporaryFile("w", suffix=".js", delete=False) as f:
            f.write(f"function answer(text) {{ print({json.dumps(tag)} + ' ' + text); }}\n{body}\n")
        kwin = dict(dest="org.kde.KWin", iface="org.kde.kwin.Scripting", path="/Scripting")
        try:
            script = call(self.kwin_bus, "loadScript", "ss", (f.name, name), **kwin)[0]
            if script < 0:
                raise RuntimeError(f"KWin refused the script {name}")
            # WORKAROUND(KWin): 5.27 exports a loaded script at /<id>; later
            # versions at /Scripting/Script<id>.
            for path in (f"/Scripting/Script{script}", f"/{script}"):
                try:
                    call(self.kwin_bus, "run", dest="org.kde.KWin", path=path, iface="org.kde.kwin.Script")
                    break
                except GLib.Error as e:
                    if "UnknownObject" not in e.message and "UnknownMethod" not in e.message:
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
            return wait_until(answered, 10, f"an answer from the script {name}")
        finally:
            call(self.kwin_bus, "unloadScript", "s", (name,), **kwin)
            os.unlink(f.name)

    def activate(self, title, at=None):
        """Gives the window titled `title` the focus as a user would: a click
        at `at` (a point on it) on X11, else an activation by the window
        manager; on Wayland, where no client may move the pointer, KWin's own
        activation through a script."""
        if SESSION == "wayland":
            self.run_script(f"for (const w of workspace.clientList())"
                            f" if (w.caption === {json.dumps(title)}) workspace.activeClient = w;")
        elif at:
            subprocess.run(["xdotool", "mousemove", "--sync", str(at[0]), str(at[1]), "click", "1"],
                           check=True, timeout=10)
        else:
            subprocess.run(["xdotool", "search", "--limit", "1", "--name", f"^{title}$",
                            "windowactivate", "--sync"], check=True, timeout=10)

    def place(self, title, x, y):
        """Moves the window titled `title` to x, y: on Wayland, where a client
        cannot place itself, so that both sessions lay windows out alike."""
        self.run_script(f"for (const w of workspace.clientList())"
                        f" if (w.caption === {json.dumps(title)})"
                        f" w.frameGeometry = {{x: {x}, y: {y}, width: w.width, height: w.height}};")
