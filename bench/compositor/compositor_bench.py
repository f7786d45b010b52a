#!/usr/bin/python3
"""What the veil costs where the compositor draws it (GNOME Shell through
Quorvel's extension, KWin through its effect), measured inside one headless
session (compositor/sessions/gnome-session or kwin-session, Wayland):

  - the compositor's CPU (its process, from /proc/PID/stat) while a window
    behind the veil redraws on every frame, first without Quorvel, then with
    Quorvel running and focus on, in rounds back to back, and the ratio;
  - the bytes of Quorvel's method calls to io.github.quorvel.Compositor1, from
    a bus monitor (dbus-monitor --pcap), with focus on and idle, and during
    glides between the ambient and the deep look.

    compositor_bench.py QUORVEL_BINARY [--seconds S] [--rounds N] [--idle S] [--glides N]

A measurement, not a test: it prints figures and fails only when it cannot
measure.
"""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
sys.path[:0] = [os.path.join(ROOT, "tests", "desktop"),
                os.path.join(ROOT, "compositor", "interface", "tests")]
from desktop_common import IFACE, Owner, call, desktop_driver, listed, start_window, poll  # noqa: E402
from gi.repository import Gio  # noqa: E402

from desktop import Quorvel  # noqa: E402

HZ = os.sysconf("SC_CLK_TCK")
# Behind: the animated window over most of the monitor; in front and active:
# a still one. Told apart in the compositor's state by their sizes.
BACK = {"title": "Quorvel Bench Back", "app": "io.github.quorvel.TestBack", "at": (40, 40)}
FRONT = {"title": "Quorvel Bench Front", "color": (0xD0, 0x40, 0x20), "width": 480, "height": 320,
         "app": "io.github.quorvel.TestFront"}
# Quorvel's own windows are Wayland windows on Wayland (as in the desktop
# suite); it runs with a runtime directory of its own, so the socket by path.
NATIVE = {"DISPLAY": None,
          "WAYLAND_DISPLAY": os.path.join(os.environ.get("XDG_RUNTIME_DIR", ""),
                                          os.environ.get("WAYLAND_DISPLAY", ""))}
GLIDE_FRAME_RATE = 20.0  # Quorvel redraws a glide's look this often on these backends
SETTLE = 3.0             # after a start, before a figure is taken


def session_bus():
    return Gio.bus_get_sync(Gio.BusType.SESSION, None)


def pid_of(name):
    return call(session_bus(), "GetConnectionUnixProcessID", "s", (name,), dest="org.freedesktop.DBus",
                path="/org/freedesktop/DBus", iface="org.freedesktop.DBus")[0]


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def renderer(name, pid):
    """How the compositor paints, as it says itself where it can."""
    if name == "KWin":
        info = call(session_bus(), "supportInformation", dest="org.kde.KWin", path="/KWin",
                    iface="org.kde.KWin")[0]
        kind = re.search(r"^Compositing Type: *(.+)$", info, re.M)
        gl = re.search(r"^OpenGL renderer string: *(.+)$", info, re.M)
        if kind and "QPainter" in kind.group(1):
            return "QPainter"
        if gl:
            chip = gl.group(1).split(" (")[0]
            return f"OpenGL on {chip}" + (" (software)" if chip in ("llvmpipe", "softpipe") else "")
        return kind.group(1) if kind else "unknown"
    with open(f"/proc/{pid}/maps") as f:
        maps = f.read()
    gpu = os.path.exists("/dev/dri")
    if "swrast_dri" in maps or ("libgallium" in maps and not gpu):
        return "OpenGL on llvmpipe (software)"
    return "OpenGL" if "libGL" in maps or "libEGL" in maps else "unknown"


class AnimatedWindow:
    def __init__(self, width, height):
        self.spec = {**BACK, "width": width, "height": height}
        self.process = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(HERE, "animated_window.py"), "--title", BACK["title"],
             "--width", str(width), "--height", str(height), "--app", BACK["app"]],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        if self.process.stdout.readline().strip() != "ready":
            raise RuntimeError("the animated window did not start")

    def frames(self):
        self.process.stdin.write("frames\n")
        self.process.stdin.flush()
        _, count, when = self.process.stdout.readline().split()
        return int(count), float(when)


def measure(seconds, compositor, window, quorvel=None):
    """CPU shares of one core and the window's frame rate over `seconds`."""
    frames0, t0 = window.frames()
    c0 = cpu_ticks(compositor)
    q0 = cpu_ticks(quorvel) if quorvel else 0
    time.sleep(seconds)
    frames1, t1 = window.frames()
    c1 = cpu_ticks(compositor)
    q1 = cpu_ticks(quorvel) if quorvel else 0
    elapsed = t1 - t0
    return {"compositor": (c1 - c0) / HZ / elapsed, "quorvel": (q1 - q0) / HZ / elapsed,
            "fps": (frames1 - frames0) / elapsed, "seconds": elapsed}


def start_quorvel(binary, work, mode="deep"):
    app = Quorvel(binary, settings={"isOverlayEnabled": True, "focusMode": mode},
                  home=tempfile.mkdtemp(prefix="quorvel-", dir=work))
    app.extra_env = NATIVE
    app.start()
    poll(lambda: app.process.poll() is not None or "🔧 Backend: " in app.output(), 30,
         "Quorvel's backend line")
    if app.process.poll() is not None:
        raise RuntimeError("Quorvel ended at its start:\n" + app.output())
    time.sleep(SETTLE)  # the veil faded in, the start's work done
    return app


def stop_quorvel(app, logs):
    status = app.stop()
    logs.append(app.output())
    if status != 0:
        raise RuntimeError(f"Quorvel quit with status {status}:\n" + app.output())


# --- the bus monitor's capture ----------------------------------------------

def dbus_calls(path):
    """(time, size, member) of each method call of the compositor interface
    in a pcap file of dbus-monitor's, its size the whole message as the bus
    carried it. (The bus tells the monitor of its own name besides.)"""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 24:
        return []
    endian = "<" if data[:4] == b"\xd4\xc3\xb2\xa1" else ">"
    out, at = [], 24
    while at + 16 <= len(data):
        seconds, micros, kept, size = struct.unpack(endian + "IIII", data[at:at + 16])
        message = data[at + 16:at + 16 + kept]
        at += 16 + kept
        if len(message) < kept:
            break  # cut short by the monitor's end
        if message[1] == 1 and header_field(message, 2) == IFACE:
            out.append((seconds + micros / 1e6, size, header_field(message, 3)))
    return out


def header_field(message, code):
    """A string field of a D-Bus message's header (2: the interface, 3: the
    member)."""
    endian = "<" if message[:1] == b"l" else ">"
    (length,) = struct.unpack(endian + "I", message[12:16])
    at, end = 16, 16 + length
    while at < end:
        at = (at + 7) & ~7
        field, sig_len = message[at], message[at + 1]
        signature = message[at + 2:at + 2 + sig_len].decode()
        at += 3 + sig_len
        if signature in ("s", "o"):
            at = (at + 3) & ~3
            (n,) = struct.unpack(endian + "I", message[at:at + 4])
            value = message[at + 4:at + 4 + n].decode()
            at += 5 + n
        elif signature == "g":
            n = message[at]
            value = message[at + 1:at + 1 + n].decode()
            at += 2 + n
        else:  # "u"
            at = ((at + 3) & ~3) + 4
            value = None
        if field == code:
            return value
    return None


class BusCapture:
    """Every method call of the compositor interface on the session bus."""

    def __init__(self, directory):
        self.path = os.path.join(directory, "calls.pcap")
        self.out = open(self.path, "wb")
        self.process = subprocess.Popen(
            ["dbus-monitor", "--pcap", "--address", os.environ["DBUS_SESSION_BUS_ADDRESS"],
             f"type='method_call',interface='{IFACE}'"], stdout=self.out, stderr=subprocess.PIPE)
        time.sleep(1.0)  # the monitor registered with the bus
        if self.process.poll() is not None:
            raise RuntimeError("dbus-monitor could not monitor the bus: " +
                               self.process.stderr.read().decode())

    def stop(self):
        time.sleep(0.5)  # the last calls reached the monitor
        self.process.terminate()
        self.process.wait(10)
        self.out.close()
        return dbus_calls(self.path)


def between(messages, start, end):
    return [m for m in messages if start <= m[0] < end]


# --- the figures ----------------------------------------------------------------

def cpu_rounds(binary, compositor, window, seconds, rounds, work, logs):
    runs = []
    for _ in range(rounds):
        without = measure(seconds, compositor, window)
        app = start_quorvel(binary, work)
        try:
            with_veil = measure(seconds, compositor, window, app.process.pid)
        finally:
            stop_quorvel(app, logs)
        time.sleep(SETTLE)  # the veil faded out, Quorvel's name given back
        runs.append((without, with_veil))
    return runs


def bytes_figures(binary, idle, glides, glide_wait, work, logs):
    capture = BusCapture(work)
    app = None
    try:
        app = start_quorvel(binary, work, "deep")
        idle_start = time.time()
        time.sleep(idle)
        idle_end = time.time()
        glide_spans = []
        for i in range(glides):
            mode = "ambient" if i % 2 == 0 else "deep"
            begun = time.time()
            subprocess.run([binary, "mode", mode], check=True, timeout=10, capture_output=True)
            time.sleep(glide_wait)
            glide_spans.append((begun, time.time()))
    finally:
        messages = capture.stop()
        if app:
            stop_quorvel(app, logs)
    if not any(m[2] == "PlaceVeil" for m in messages):
        raise RuntimeError("Quorvel placed no veil:\n" + logs[-1])
    idle_calls = between(messages, idle_start, idle_end)
    per_glide = []
    for start, end in glide_spans:
        calls = between(messages, start, end)
        looks = [m for m in calls if m[2] == "SetVeilLook"]
        if len(looks) >= 2:
            span = looks[-1][0] - looks[0][0]
            duration = span * len(looks) / (len(looks) - 1)  # the last frame lasts one interval too
        else:
            duration = 1.0 / GLIDE_FRAME_RATE
        per_glide.append({"bytes": sum(m[1] for m in calls), "looks": len(looks),
                          "look_bytes": max((m[1] for m in looks), default=0), "seconds": duration})
    return {"idle_bytes": sum(m[1] for m in idle_calls), "idle_calls": len(idle_calls),
            "idle_members": sorted({m[2] for m in idle_calls}), "idle_seconds": idle_end - idle_start,
            "glides": per_glide}


def human_bytes(n):
    for unit, size in (("MB", 1e6), ("kB", 1e3)):
        if n >= size:
            return f"{n / size:.1f} {unit}"
    return f"{n:.0f} B"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("quorvel")
    parser.add_argument("--seconds", type=float, default=10.0, help="each CPU figure's period")
    parser.add_argument("--rounds", type=int, default=3, help="without/with pairs, back to back")
    parser.add_argument("--idle", type=float, default=10.0, help="seconds of idle bus traffic")
    parser.add_argument("--glides", type=int, default=4, help="mode glides, deep and ambient in turn")
    args = parser.parse_args()
    binary = os.path.abspath(args.quorvel)
    work = tempfile.mkdtemp(prefix="quorvel-compositor-bench-")
    logs = []

    owner = Owner()
    state = owner.state()
    name, version = state["compositor"], state["compositorVersion"]
    monitor = state["monitors"][0]
    width, height = monitor["width"], monitor["height"]
    compositor = pid_of("org.gnome.Shell" if name == "GNOME Shell" else "org.kde.KWin")
    # GNOME's driver opens a remote-desktop session of mutter's: only where
    # the still window needs a click to come to the front.
    driver = desktop_driver()
    desktop = driver(work, "bench", owner.bus) if driver.place is not None else None
    area = monitor["workArea"]
    window = AnimatedWindow(area["width"] * 7 // 8 - BACK["at"][0], area["height"] * 7 // 8 - BACK["at"][1])
    windows = [window.process]
    try:
        if desktop:
            desktop.place(BACK["title"], *BACK["at"])
        poll(lambda: listed(owner.state(), window.spec), 30, "the animated window listed")
        front_at = (area["x"] + area["width"] - FRONT["width"] - 80,
                    area["y"] + area["height"] - FRONT["height"] - 60)
        windows.append(start_window({**FRONT, "at": front_at}, desktop))
        if desktop:
            desktop.place(FRONT["title"], *front_at)
        front = poll(lambda: listed(owner.state(), FRONT), 30, "the still window listed")
        if owner.state()["active"] != front["id"]:
            desktop = desktop or driver(work, "bench", owner.bus)
            desktop.activate(FRONT["title"], (front["x"] + 20, front["y"] + 20))
            poll(lambda: owner.state()["active"] == front["id"], 10, "the still window active")
        how = renderer(name, compositor)
        owner.close()
        if desktop:
            desktop.bus = None
        time.sleep(SETTLE)

        runs = cpu_rounds(binary, compositor, window, args.seconds, args.rounds, work, logs)
        traffic = bytes_figures(binary, args.idle, args.glides, 1.5, work, logs)
    finally:
        for process in windows:
            process.stdin.close()
            process.wait(10)
        shutil.rmtree(work, ignore_errors=True)

    def total(phase, key):
        return sum(r[phase][key] * r[phase]["seconds"] for r in runs)
    seconds = [sum(r[phase]["seconds"] for r in runs) for phase in (0, 1)]
    cpu = [total(phase, "compositor") / seconds[phase] for phase in (0, 1)]
    fps = [total(phase, "fps") / seconds[phase] for phase in (0, 1)]
    per_frame = [total(phase, "compositor") / total(phase, "fps") for phase in (0, 1)]
    glides = traffic["glides"]
    glide_bytes = sum(g["bytes"] for g in glides) / len(glides)
    glide_seconds = sum(g["seconds"] for g in glides) / len(glides)
    looks = sum(g["looks"] for g in glides) / len(glides)
    session = {"wayland": "Wayland", "x11": "X11"}.get(os.environ.get("XDG_SESSION_TYPE"), "?")
    print(f"{name} {version} on {session}, one {width}x{height} monitor, {how}; behind the veil a "
          f"{window.spec['width']}x{window.spec['height']} window redrawing on every frame it is offered "
          "(at most 60 a second):")
    # On a loaded machine the compositor gets only its share of a core, and
    # draws fewer frames when each costs more: the cost per frame says more
    # than the share.
    print(f"  compositor CPU without Quorvel → with focus on: {100 * cpu[0]:.1f} → {100 * cpu[1]:.1f} % "
          f"of one core (ratio {cpu[1] / cpu[0]:.2f}), the window at {fps[0]:.1f} → {fps[1]:.1f} fps; "
          f"CPU per frame {1000 * per_frame[0]:.1f} → {1000 * per_frame[1]:.1f} ms "
          f"(ratio {per_frame[1] / per_frame[0]:.2f})")
    print(f"    {len(runs)} rounds of {args.seconds:.0f} s each way, back to back: " + ", ".join(
        f"{100 * a['compositor']:.1f} % at {a['fps']:.1f} fps → "
        f"{100 * b['compositor']:.1f} % at {b['fps']:.1f} fps" for a, b in runs) +
        f"; Quorvel itself {100 * total(1, 'quorvel') / seconds[1]:.1f} %")
    idle_rate = traffic["idle_bytes"] / traffic["idle_seconds"]
    print(f"  Quorvel → compositor over D-Bus, focus on and idle: {human_bytes(idle_rate)}/s "
          f"({traffic['idle_calls']} calls in {traffic['idle_seconds']:.0f} s"
          + (f": {', '.join(traffic['idle_members'])})" if traffic["idle_calls"] else ")"))
    print(f"  during a mode glide: {human_bytes(glide_bytes / glide_seconds)}/s "
          f"({human_bytes(glide_bytes)} per glide of {glide_seconds:.2f} s: {looks:.0f} looks of "
          f"{human_bytes(max(g['look_bytes'] for g in glides))} each; mean of {len(glides)} glides)")
    # What Quorvel had to say about the compositor's component (its
    # complaints name it); the session's own gaps (no logind, no tray) are
    # no part of these figures.
    warnings = sorted({line for log in logs for line in log.splitlines()
                       if "⚠️" in line and name in line})
    for line in warnings:
        print(f"  Quorvel said: {line}")


if __name__ == "__main__":
    main()
