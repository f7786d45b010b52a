"""A small X client over ctypes (libX11, libXrandr, libXRes) for the stress
runs: the storms need thousands of requests a second, far more than a process
per request (xdotool, xrandr) can give on two cores. Standard library only."""

import ctypes
import ctypes.util

_x = ctypes.CDLL("libX11.so.6")
_xrandr = ctypes.CDLL("libXrandr.so.2")
_xres = ctypes.CDLL("libXRes.so.1")

Display = ctypes.c_void_p
XID = ctypes.c_ulong
Atom = ctypes.c_ulong


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", Display), ("window", XID), ("message_type", Atom),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class Event(ctypes.Union):
    _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]


class MonitorInfo(ctypes.Structure):
    _fields_ = [("name", Atom), ("primary", ctypes.c_int), ("automatic", ctypes.c_int),
                ("noutput", ctypes.c_int), ("x", ctypes.c_int), ("y", ctypes.c_int),
                ("width", ctypes.c_int), ("height", ctypes.c_int), ("mwidth", ctypes.c_int),
                ("mheight", ctypes.c_int), ("outputs", ctypes.POINTER(XID))]


class ResType(ctypes.Structure):
    _fields_ = [("resource_type", Atom), ("count", ctypes.c_uint)]


class ClientIdSpec(ctypes.Structure):
    _fields_ = [("client", XID), ("mask", ctypes.c_uint)]


class ClientIdValue(ctypes.Structure):
    _fields_ = [("spec", ClientIdSpec), ("length", ctypes.c_long), ("value", ctypes.c_void_p)]


class Attributes(ctypes.Structure):
    # XWindowAttributes, up to map_state; the rest is padding.
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", ctypes.c_void_p), ("root", XID), ("cls", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", XID), ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int),
                ("pad", ctypes.c_long * 16)]


def _sig(lib, name, res, *args):
    f = getattr(lib, name)
    f.restype, f.argtypes = res, list(args)


_P = ctypes.POINTER
_sig(_x, "XOpenDisplay", Display, ctypes.c_char_p)
_sig(_x, "XCloseDisplay", ctypes.c_int, Display)
_sig(_x, "XDefaultRootWindow", XID, Display)
_sig(_x, "XInternAtom", Atom, Display, ctypes.c_char_p, ctypes.c_int)
_sig(_x, "XCreateSimpleWindow", XID, Display, XID, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong)
_sig(_x, "XMapWindow", ctypes.c_int, Display, XID)
_sig(_x, "XDestroyWindow", ctypes.c_int, Display, XID)
_sig(_x, "XStoreName", ctypes.c_int, Display, XID, ctypes.c_char_p)
_sig(_x, "XChangeProperty", ctypes.c_int, Display, XID, Atom, Atom, ctypes.c_int, ctypes.c_int,
     ctypes.c_char_p, ctypes.c_int)
_sig(_x, "XGetWindowProperty", ctypes.c_int, Display, XID, Atom, ctypes.c_long, ctypes.c_long,
     ctypes.c_int, Atom, _P(Atom), _P(ctypes.c_int), _P(ctypes.c_ulong), _P(ctypes.c_ulong),
     _P(ctypes.c_void_p))
_sig(_x, "XSendEvent", ctypes.c_int, Display, XID, ctypes.c_int, ctypes.c_long, _P(Event))
_sig(_x, "XQueryTree", ctypes.c_int, Display, XID, _P(XID), _P(XID), _P(_P(XID)),
     _P(ctypes.c_uint))
_sig(_x, "XGetWindowAttributes", ctypes.c_int, Display, XID, _P(Attributes))
_sig(_x, "XTranslateCoordinates", ctypes.c_int, Display, XID, XID, ctypes.c_int, ctypes.c_int,
     _P(ctypes.c_int), _P(ctypes.c_int), _P(XID))
_sig(_x, "XFree", ctypes.c_int, ctypes.c_void_p)
_sig(_x, "XFlush", ctypes.c_int, Display)
_sig(_x, "XSync", ctypes.c_int, Display, ctypes.c_int)
_sig(_x, "XMoveResizeWindow", ctypes.c_int, Display, XID, ctypes.c_int, ctypes.c_int,
     ctypes.c_uint, ctypes.c_uint)
_sig(_xrandr, "XRRAllocateMonitor", _P(MonitorInfo), Display, ctypes.c_int)
_sig(_xrandr, "XRRSetMonitor", None, Display, XID, _P(MonitorInfo))
_sig(_xrandr, "XRRDeleteMonitor", None, Display, XID, Atom)
_sig(_xrandr, "XRRGetMonitors", _P(MonitorInfo), Display, XID, ctypes.c_int, _P(ctypes.c_int))
_sig(_xrandr, "XRRFreeMonitors", None, _P(MonitorInfo))
_sig(_xres, "XResQueryClientIds", ctypes.c_int, Display, ctypes.c_long, _P(ClientIdSpec),
     _P(ctypes.c_long), _P(_P(ClientIdValue)))
_sig(_xres, "XResGetClientPid", ctypes.c_int, _P(ClientIdValue))
_sig(_xres, "XResClientIdsDestroy", None, ctypes.c_long, _P(ClientIdValue))
_sig(_xres, "XResQueryClientResources", ctypes.c_int, Display, XID, _P(ctypes.c_int),
     _P(_P(ResType)))
_sig(_x, "XGetAtomName", ctypes.c_void_p, Display, Atom)
_sig(_x, "XGetSelectionOwner", XID, Display, Atom)
_sig(_x, "XGetImage", ctypes.c_void_p, Display, XID, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
     ctypes.c_uint, ctypes.c_ulong, ctypes.c_int)
_sig(_x, "XSetWindowBackground", ctypes.c_int, Display, XID, ctypes.c_ulong)
_sig(_x, "XClearWindow", ctypes.c_int, Display, XID)
_sig(_x, "XWarpPointer", ctypes.c_int, Display, XID, XID, ctypes.c_int, ctypes.c_int,
     ctypes.c_uint, ctypes.c_uint, ctypes.c_int, ctypes.c_int)


class Image(ctypes.Structure):
    # The head of XImage: enough to read a ZPixmap.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]

# Windows vanish under our feet in a storm; a failed request is no reason to stop.
_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, Display, ctypes.c_void_p)(lambda d, e: 0)
_x.XSetErrorHandler(_ERROR_HANDLER)

PROPERTY_ANY = 0
XA_WINDOW, XA_STRING, XA_WM_CLASS = 33, 31, 67
XA_WM_NORMAL_HINTS, XA_WM_SIZE_HINTS = 40, 41
XA_CARDINAL = 6
SUBSTRUCTURE_MASKS = (1 << 19) | (1 << 20)  # SubstructureNotify | SubstructureRedirect
IS_VIEWABLE = 2
PID_MASK = 2  # XRES_CLIENT_ID_PID_MASK


class X:
    """One connection; every call is synchronous where a reply is read."""

    def __init__(self, display):
        self.d = _x.XOpenDisplay(display.encode())
        if not self.d:
            raise RuntimeError(f"cannot open display {display}")
        self.root = _x.XDefaultRootWindow(self.d)
        self._atoms = {}

    def close(self):
        if self.d:
            _x.XCloseDisplay(self.d)
            self.d = None

    def atom(self, name):
        if name not in self._atoms:
            self._atoms[name] = _x.XInternAtom(self.d, name.encode(), 0)
        return self._atoms[name]

    def sync(self):
        _x.XSync(self.d, 0)

    def flush(self):
        _x.XFlush(self.d)

    # Windows of our own: solid colours, named, each with a class of its own
    # so that switching between them switches the application in front.
    def create(self, x, y, w, h, rgb, title, cls, focus=True):
        win = _x.XCreateSimpleWindow(self.d, self.root, x, y, w, h, 0, 0, rgb)
        if not focus:
            # A user time of 0 asks the window manager not to focus it on map.
            zero = (ctypes.c_long * 1)(0)
            _x.XChangeProperty(self.d, win, self.atom("_NET_WM_USER_TIME"), XA_CARDINAL, 32, 0,
                               ctypes.cast(zero, ctypes.c_char_p), 1)
        _x.XStoreName(self.d, win, title.encode())
        value = f"{cls.lower()}\0{cls}\0".encode()
        _x.XChangeProperty(self.d, win, XA_WM_CLASS, XA_STRING, 8, 0, value, len(value))
        # USPosition | USSize: the window manager keeps the place asked for.
        hints = (ctypes.c_long * 18)(3, x, y, w, h)
        _x.XChangeProperty(self.d, win, XA_WM_NORMAL_HINTS, XA_WM_SIZE_HINTS, 32, 0,
                           ctypes.cast(hints, ctypes.c_char_p), 18)
        _x.XMapWindow(self.d, win)
        return win

    def destroy(self, win):
        _x.XDestroyWindow(self.d, win)

    def move_resize(self, win, x, y, w, h):
        _x.XMoveResizeWindow(self.d, win, x, y, w, h)

    def activate(self, win):
        """As a pager asks: _NET_ACTIVE_WINDOW to the root, source 2."""
        e = Event()
        e.client.type = 33  # ClientMessage
        e.client.window = win
        e.client.message_type = self.atom("_NET_ACTIVE_WINDOW")
        e.client.format = 32
        e.client.data[0] = 2
        _x.XSendEvent(self.d, self.root, 0, SUBSTRUCTURE_MASKS, ctypes.byref(e))
        _x.XFlush(self.d)

    def window_property(self, win, name):
        kind, fmt = Atom(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        ok = _x.XGetWindowProperty(self.d, win, self.atom(name), 0, 1, 0, XA_WINDOW,
                                   ctypes.byref(kind), ctypes.byref(fmt), ctypes.byref(count),
                                   ctypes.byref(after), ctypes.byref(data))
        value = 0
        if ok == 0 and data.value:
            if count.value and fmt.value == 32:
                value = ctypes.cast(data, _P(ctypes.c_ulong))[0]
            _x.XFree(data)
        return value

    def active(self):
        return self.window_property(self.root, "_NET_ACTIVE_WINDOW")

    def wm_class(self, win):
        kind, fmt = Atom(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        ok = _x.XGetWindowProperty(self.d, win, XA_WM_CLASS, 0, 64, 0, XA_STRING,
                                   ctypes.byref(kind), ctypes.byref(fmt), ctypes.byref(count),
                                   ctypes.byref(after), ctypes.byref(data))
        text = b""
        if ok == 0 and data.value:
            text = ctypes.string_at(data, count.value)
            _x.XFree(data)
        return text.decode(errors="replace")

    def tree(self, win):
        """(parent, children bottom to top); (0, []) when the window is gone."""
        root, parent, children, n = XID(), XID(), _P(XID)(), ctypes.c_uint()
        if not _x.XQueryTree(self.d, win, ctypes.byref(root), ctypes.byref(parent),
                             ctypes.byref(children), ctypes.byref(n)):
            return 0, []
        result = [children[i] for i in range(n.value)]
        if children:
            _x.XFree(children)
        return parent.value, result

    def attributes(self, win):
        a = Attributes()
        return a if _x.XGetWindowAttributes(self.d, win, ctypes.byref(a)) else None

    def viewable(self, win):
        a = self.attributes(win)
        return bool(a) and a.map_state == IS_VIEWABLE

    def frame_of(self, win):
        """The root child that holds `win` (the window manager's frame, or itself)."""
        while True:
            parent, _ = self.tree(win)
            if not parent or parent == self.root:
                return win
            win = parent

    def geometry(self, win):
        """(x, y, w, h) on screen."""
        a = self.attributes(win)
        if not a:
            return None
        x, y, child = ctypes.c_int(), ctypes.c_int(), XID()
        _x.XTranslateCoordinates(self.d, win, self.root, 0, 0, ctypes.byref(x), ctypes.byref(y),
                                 ctypes.byref(child))
        return x.value, y.value, a.width, a.height

    # RandR monitors, as `xrandr --setmonitor / --delmonitor` set them.
    def set_monitor(self, name, x, y, w, h, output=0):
        m = _xrandr.XRRAllocateMonitor(self.d, 1 if output else 0)
        m[0].name = self.atom(name)
        m[0].x, m[0].y, m[0].width, m[0].height = x, y, w, h
        m[0].mwidth, m[0].mheight = w * 254 // 960, h * 254 // 960
        if output:
            m[0].outputs[0] = output
        _xrandr.XRRSetMonitor(self.d, self.root, m)
        _x.XFree(m)

    def delete_monitor(self, name):
        _xrandr.XRRDeleteMonitor(self.d, self.root, self.atom(name))

    def monitors(self):
        """[(name, x, y, w, h, first output)]."""
        n = ctypes.c_int()
        ms = _xrandr.XRRGetMonitors(self.d, self.root, 1, ctypes.byref(n))
        out = []
        for i in range(n.value):
            m = ms[i]
            name = _x.XGetAtomName(self.d, m.name)
            out.append((ctypes.string_at(name).decode(), m.x, m.y, m.width, m.height,
                        m.outputs[0] if m.noutput else 0))
            _x.XFree(name)
        if ms:
            _xrandr.XRRFreeMonitors(ms)
        return out

    # What the X server holds for a process's clients (X-Resource).
    def client_bases(self, pid):
        """The resource bases of every client the process `pid` has open."""
        spec = ClientIdSpec(0, PID_MASK)
        n, ids = ctypes.c_long(), _P(ClientIdValue)()
        # Success (0), unlike the other X-Resource calls.
        if _xres.XResQueryClientIds(self.d, 1, ctypes.byref(spec), ctypes.byref(n),
                                    ctypes.byref(ids)) != 0:
            return []
        bases = [ids[i].spec.client for i in range(n.value)
                 if _xres.XResGetClientPid(ctypes.pointer(ids[i])) == pid]
        _xres.XResClientIdsDestroy(n, ids)
        return bases

    def resources(self, pid):
        """{resource type name: count} summed over the process's clients."""
        totals = {}
        for base in self.client_bases(pid):
            n, types = ctypes.c_int(), _P(ResType)()
            if not _xres.XResQueryClientResources(self.d, base, ctypes.byref(n),
                                                  ctypes.byref(types)):
                continue
            for i in range(n.value):
                name = _x.XGetAtomName(self.d, types[i].resource_type)
                key = ctypes.string_at(name).decode()
                _x.XFree(name)
                totals[key] = totals.get(key, 0) + types[i].count
            if types:
                _x.XFree(types)
        return totals

    def selection_owner(self, name):
        return _x.XGetSelectionOwner(self.d, self.atom(name))

    def has_property(self, win, name):
        kind, fmt = Atom(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        ok = _x.XGetWindowProperty(self.d, win, self.atom(name), 0, 1, 0, PROPERTY_ANY,
                                   ctypes.byref(kind), ctypes.byref(fmt), ctypes.byref(count),
                                   ctypes.byref(after), ctypes.byref(data))
        if ok == 0 and data.value:
            _x.XFree(data)
        return ok == 0 and kind.value != 0

    def set_root_colour(self, rgb):
        _x.XSetWindowBackground(self.d, self.root, rgb)
        _x.XClearWindow(self.d, self.root)
        _x.XFlush(self.d)

    def pointer_to(self, x, y):
        _x.XWarpPointer(self.d, 0, self.root, 0, 0, 0, 0, x, y)
        _x.XFlush(self.d)

    def root_image(self):
        """What the screen shows, as the root window's contents (what `xwd -root`
        and `import -window root` read): a Screenshot."""
        a = self.attributes(self.root)
        raw = _x.XGetImage(self.d, self.root, 0, 0, a.width, a.height, ~0 & 0xFFFFFFFF, 2)
        if not raw:
            return None
        image = ctypes.cast(raw, _P(Image))[0]
        if image.bits_per_pixel != 32:
            raise RuntimeError(f"a {image.bits_per_pixel}-bit root; 32 expected")
        data = ctypes.string_at(image.data, image.bytes_per_line * image.height)
        shot = Screenshot(image.width, image.height, image.bytes_per_line, data)
        _x.XFree(image.data)
        _x.XFree(raw)
        return shot


class Screenshot:
    """A root image (32-bit BGRX rows): pixels and a PNG to look at."""

    def __init__(self, width, height, stride, data):
        self.width, self.height, self.stride, self.data = width, height, stride, data

    def pixel(self, x, y):
        i = y * self.stride + 4 * x
        return self.data[i + 2], self.data[i + 1], self.data[i]

    def save_png(self, path):
        import struct
        import zlib
        rgb = bytearray(self.width * self.height * 3)
        packed = self.data if self.stride == 4 * self.width else b"".join(
            self.data[y * self.stride:y * self.stride + 4 * self.width]
            for y in range(self.height))
        for channel, offset in ((0, 2), (1, 1), (2, 0)):
            rgb[channel::3] = packed[offset::4]
        row = 3 * self.width
        raw = b"".join(b"\0" + rgb[y * row:(y + 1) * row] for y in range(self.height))

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(raw, 1)))
            f.write(chunk(b"IEND", b""))
        return path
