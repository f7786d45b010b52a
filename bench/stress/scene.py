"""Sample windows and what the user should see of them: where the veil lies
in the X stacking, and what a root screenshot shows at chosen points."""

import os
import time

from session import poll

SAME, CHANGED = 12, 40  # largest channel difference: still the colour / clearly veiled
RED, TEAL, YELLOW, GREY = 0xE63946, 0x2A9D8F, 0xE9C46A, 0x8D99AE


def rgb(value):
    return (value >> 16) & 255, (value >> 8) & 255, value & 255


def difference(a, b):
    return max(abs(p - q) for p, q in zip(a, b))


class Scene:
    """Solid windows on a session's X server. On each monitor the topmost of
    them (the front window) should be clear with the veil directly below it,
    and everything else on that monitor veiled; a monitor without any has no
    veil. `main` is the window the user works in, activated after each upset."""

    saved = 0  # screenshots so far, for their file names

    def __init__(self, session, shots):
        self.session, self.x, self.shots = session, session.x, shots
        self.windows = {}  # client id -> (title, colour)
        self.places = {}   # client id -> (x, y, w, h) asked for
        self.main = None

    def open(self, x, y, w, h, colour, title, cls=None):
        win = self.x.create(x, y, w, h, colour, title, cls or title)
        self.windows[win] = (title, colour)
        self.places[win] = (x, y, w, h)
        self.main = self.main or win
        return win

    def restore_places(self):
        """Puts every window back where it was opened, as a user would after a
        window manager moved them off a monitor that went away."""
        for win, place in self.places.items():
            self.x.move_resize(win, *place)
        self.x.sync()
        return poll(lambda: all(self.x.geometry(w)[2:] == p[2:] and
                                abs(self.x.geometry(w)[0] - p[0]) < 20
                                for w, p in self.places.items()), 3)

    def fronts(self):
        """{monitor index: the topmost sample window that reaches into it}."""
        _, stack = self.x.tree(self.x.root)
        frames = {self.x.frame_of(c): c for c in self.windows if self.x.viewable(c)}
        result = {}
        for i, (_, mx, my, mw, mh, _) in enumerate(self.x.monitors()):
            for frame in reversed(stack):
                if frame not in frames:
                    continue
                fx, fy, fw, fh = self.x.geometry(frame)
                if fx < mx + mw and mx < fx + fw and fy < my + mh and my < fy + fh:
                    result[i] = frames[frame]
                    break
        return result

    def settle(self, limit=10):
        """Waits until the window manager shows every sample window."""
        self.x.sync()
        return poll(lambda: all(self.x.viewable(self.x.frame_of(w)) for w in self.windows), limit)

    def activate(self, win, limit=3):
        """As a pager would, asking again: a window manager may refuse a request
        that comes right after a map or a restart."""
        def ask():
            self.x.activate(win)
            return poll(lambda: self.x.active() == win, 0.5, step=0.01)
        return poll(ask, limit, step=0)

    # The stacking.
    def is_veil(self, win):
        a = self.x.attributes(win)
        return (a is not None and a.map_state == 2 and a.width >= 320 and a.height >= 240 and
                "Quorvel" in self.x.wm_class(win))

    def veils(self):
        """Quorvel's veils on screen, front to back: (id, x, y, w, h)."""
        _, stack = self.x.tree(self.x.root)
        return [(w, *self.x.geometry(w)) for w in reversed(stack) if self.is_veil(w)]

    def veil_below(self, client):
        """The veil directly below `client`'s frame (the next viewable window), or 0."""
        frame = self.x.frame_of(client)
        _, stack = self.x.tree(self.x.root)
        if frame not in stack:
            return 0
        for w in reversed(stack[:stack.index(frame)]):
            if self.x.viewable(w):
                return w if self.is_veil(w) else 0
        return 0

    def placed(self):
        """Whether each monitor with a window has its veil, as large as the
        monitor, directly below its front window, and no other veil shows."""
        monitors = [m[1:5] for m in self.x.monitors()]
        shown = {v[0]: tuple(v[1:]) for v in self.veils()}
        fronts = self.fronts()
        if len(shown) != len(fronts):
            return False
        for index, client in fronts.items():
            veil = self.veil_below(client)
            if not veil or shown.get(veil) != tuple(monitors[index]):
                return False
        return True

    def stacking_report(self):
        _, stack = self.x.tree(self.x.root)
        rows = []
        for w in reversed(stack):
            if not self.x.viewable(w):
                continue
            g = self.x.geometry(w)
            name = next((t for c, (t, _) in self.windows.items() if self.x.frame_of(c) == w), "")
            cls = self.x.wm_class(w).split("\0")[-2:][0] if not name else name
            rows.append(f"{hex(w)} {cls or '?'} {g[2]}x{g[3]}+{g[0]}+{g[1]}")
        return (f"active {hex(self.x.active())}; monitors {self.x.monitors()}; "
                "stack, front first: " + " | ".join(rows))

    # The screen.
    def centre(self, client):
        x, y, w, h = self.x.geometry(client)
        return x + w // 2, y + h // 2

    def look(self, points, name=None):
        """Takes a root screenshot: [(label, (x, y), colour, 'clear' | 'veiled')]
        -> (all as expected, what was seen). Saves a PNG when named."""
        shot = self.x.root_image()
        seen, good = [], True
        for label, (px, py), colour, want in points:
            pixel = shot.pixel(px, py)
            d = difference(pixel, rgb(colour))
            ok = d <= SAME if want == "clear" else d >= CHANGED
            good &= ok
            mark = "" if ok else " ✗"
            seen.append(f"{label} {want} {'#%02x%02x%02x' % pixel} (off by {d}){mark}")
        if name:
            Scene.saved += 1
            shot.save_png(os.path.join(self.shots, f"{Scene.saved:03d}-{name}.png"))
        return good, seen

    def expected_points(self, veiled=True, root_point=None, root_colour=None):
        """Every front window clear, every other sample window (at its centre,
        which no front window covers) veiled, or clear when the veil is
        invisible; the bare root too, where given."""
        points = []
        fronts = set(self.fronts().values())
        for client, (title, colour) in self.windows.items():
            if not self.x.viewable(client):
                continue
            want = "clear" if client in fronts or not veiled else "veiled"
            points.append((title, self.centre(client), colour, want))
        if root_point:
            points.append(("root", root_point, root_colour, "veiled" if veiled else "clear"))
        return points

    def wait_until_right(self, limit, veiled=True, root_point=None, root_colour=None, name=None):
        """Polls stacking and screen until both are right: seconds taken, or None."""
        start = time.monotonic()
        right = poll(lambda: (not veiled or self.placed()) and
                     self.look(self.expected_points(veiled, root_point, root_colour))[0],
                     limit, step=0.03)
        taken = time.monotonic() - start
        if name:
            time.sleep(0.6)  # the picture shows the veil faded in
            self.look(self.expected_points(veiled, root_point, root_colour), name)
        return taken if right else None
