#!/usr/bin/python3
"""Quorvel itself on GNOME Shell, through its extension: the tracking that
runs on every desktop decides, the shell places the veil. Judged from the
shell's own screenshots.

    quorvel_test.py QUORVEL_BINARY SCREENSHOT_DIR

Two windows of known colours with a band of black and white stripes; the
front one must keep its exact colours and sharp stripes, the one behind must
be tinted and its stripes smeared, and the roles swap when the user clicks
the other window.
"""
import os
import subprocess
import sys
import time

from gnome_desktop import (SESSION, Desktop, call, check, failures, inside, start_window,
                           wait_until)

BACK = {"title": "Quorvel Back", "color": (0x20, 0xC0, 0x40), "width": 560, "height": 360}
FRONT = {"title": "Quorvel Front", "color": (0xD0, 0x40, 0x20), "width": 420, "height": 300}
# The light scheme's tint, which GNOME's default scheme resolves to.
TINT = (236, 236, 240)
MARGIN = 40  # from window edges and the shadows mutter draws on X11


class Quorvel:
    def __init__(self, binary, log):
        self.binary = binary
        self.log = log
        self.process = subprocess.Popen([binary], stdout=open(log, "w"), stderr=subprocess.STDOUT)

    def said(self, text):
        with open(self.log, errors="replace") as f:
            return text in f.read()

    def command(self, *args):
        done = subprocess.run([self.binary, *args], capture_output=True, text=True, timeout=20)
        check(done.returncode == 0, f"quorvel {' '.join(args)}: {done.stdout}{done.stderr}")

    def status(self):
        return subprocess.run([self.binary, "status"], capture_output=True, text=True,
                              timeout=20).stdout.strip()

    def stop(self):
        self.process.terminate()
        return self.process.wait(20)


def distance(a, b):
    return sum(abs(x - y) for x, y in zip(a, b))


def clear(expected):
    """A window in front: its own colours, exact, and its stripes sharp."""
    return {"plain": lambda c: c == expected or f"{c} instead of {expected}",
            "band": lambda contrast: contrast > 150 or f"stripes blurred ({contrast:.0f})"}


def veiled(original):
    """A window behind: moved well towards the tint, its stripes smeared."""
    def plain(c):
        ok = distance(c, original) > 80 and distance(c, TINT) < 0.7 * distance(original, TINT)
        return ok or f"{c} is not {original} tinted"
    return {"plain": plain, "band": lambda contrast: contrast < 40 or f"stripes sharp ({contrast:.0f})"}


def spots_of(window, others):
    """A plain spot and a stripe-band spot of `window`, clear of `others`."""
    def find(rows):
        for y in rows:
            for x in range(window["x"] + MARGIN, window["x"] + window["width"] - MARGIN - 16, 4):
                if not any(inside(o, x, y, MARGIN) or inside(o, x + 16, y, MARGIN) for o in others):
                    return x, y
        raise AssertionError(f"no clear spot in {window['title']}")
    return {"plain": find([window["y"] + MARGIN, window["y"] + window["height"] - MARGIN]),
            "band": find([window["y"] + window["height"] // 2])}


def looks(desktop, name, expectations, timeout=10):
    """Polls screenshots until every expectation holds; reports the last misses."""
    misses = []

    def passes():
        image = desktop.screenshot(name)
        misses[:] = [f"{name}: {label} {verdict}" for label, test in expectations.items()
                     for verdict in [test(image)] if verdict is not True]
        return not misses
    try:
        wait_until(passes, timeout, name)
    except TimeoutError:
        for miss in misses:
            check(False, miss)


def expect(window_spots, verdicts, label):
    def reading(kind):
        spot, test = window_spots[kind], verdicts[kind]
        return lambda image: test(image.at(*spot) if kind == "plain" else image.contrast(*spot))
    return {f"{label} {kind}": reading(kind) for kind in verdicts}


def main():
    binary, shots = sys.argv[1], sys.argv[2]
    os.makedirs(shots, exist_ok=True)
    started = time.monotonic()
    desktop = Desktop(shots, "quorvel")
    back_process = start_window(BACK, 60, 120)
    back_process.stdout.readline()
    wait_until(lambda: desktop.window(BACK["title"]), 30, "the back window")
    front_process = start_window(FRONT, 640, 380)
    front_process.stdout.readline()
    wait_until(lambda: desktop.window(FRONT["title"]), 30, "the front window")

    # A user who installed Quorvel but never enabled its extension is offered
    # to enable it, and takes the offer.
    call(desktop.bus, "DisableExtension", "s", ("quorvel@quorvel.github.io",),
         dest="org.gnome.Shell", path="/org/gnome/Shell", iface="org.gnome.Shell.Extensions")
    app = Quorvel(binary, os.path.join(shots, f"gnome_quorvel_{SESSION}.log"))
    wait_until(lambda: app.said("installed but not enabled: run 'gnome-extensions enable "
                                "quorvel@quorvel.github.io'"), 30, "the line on how to enable it")
    # The extension is off, so the dialog is found on Quorvel's own X display.
    wait_until(lambda: any(line.endswith(" Quorvel") for line in subprocess.run(
        ["wmctrl", "-l"], capture_output=True, text=True).stdout.splitlines()),
        30, "the offer to enable it")
    # Return, the offer's default button (Enable), through Xwayland's own test
    # input: mutter's virtual keyboard breaks an X client's connection there.
    subprocess.run(["xdotool", "key", "Return"], check=False)
    wait_until(lambda: app.said("🔧 Backend: GNOME Shell"), 30, "Quorvel on the GNOME backend")
    check(app.said(f"({SESSION} session;"), "the backend line names the session")
    # GNOME shows no tray icons by itself: the settings window stands in.
    settings = wait_until(lambda: desktop.window("Quorvel Settings"), 30, "the settings window")
    check(settings["pid"] == app.process.pid, "the settings window is Quorvel's")
    check(app.said("No tray host"), "the log says why the settings window opened")
    subprocess.run(["wmctrl", "-c", "Quorvel Settings"], check=False)
    wait_until(lambda: not desktop.window("Quorvel Settings"), 10, "the settings window closed")

    back, front = desktop.window(BACK["title"]), desktop.window(FRONT["title"])
    back_spots, front_spots = spots_of(back, [front]), spots_of(front, [back])
    desktop.click(*front_spots["plain"])
    wait_until(lambda: desktop.state()["focused"] == front["id"], 10, "the front window focused")
    app.command("off")  # whatever the first start chose, the bare desktop first
    looks(desktop, "off", {**expect(front_spots, clear(FRONT["color"]), "front"),
                           **expect(back_spots, clear(BACK["color"]), "back")})
    bare = desktop.screenshot("bare")
    monitor = desktop.state()["monitors"][0]
    area = {**monitor["workArea"], "title": "desktop"}
    # Just below the top bar, and near the bottom edge, clear of both windows.
    column = next(x for x in range(area["x"] + MARGIN, area["x"] + area["width"] - MARGIN, 8)
                  if not any(inside(w, x, y, MARGIN) for w in (back, front)
                             for y in (area["y"] + 8, area["y"] + area["height"] - MARGIN)))
    top, bottom = (column, area["y"] + 8), (column, area["y"] + area["height"] - MARGIN)

    app.command("on")
    app.command("mode", "deep")
    looks(desktop, "deep", {**expect(front_spots, clear(FRONT["color"]), "front"),
                            **expect(back_spots, veiled(BACK["color"]), "back")})

    # The user clicks the window behind: it comes clear, the other is veiled.
    desktop.click(*back_spots["plain"])
    looks(desktop, "swapped", {**expect(back_spots, clear(BACK["color"]), "back"),
                               **expect(front_spots, veiled(FRONT["color"]), "front")})

    # Ambient mode fades the veil out towards the top edge of the monitor.
    app.command("mode", "ambient")

    def top_clear(image):
        near_top = distance(image.at(*top), bare.at(*top))
        near_bottom = distance(image.at(*bottom), bare.at(*bottom))
        return (near_bottom > 80 and near_top < 0.3 * near_bottom or
                f"veiled by {near_top} near the top, {near_bottom} near the bottom")
    looks(desktop, "ambient", {"desktop": top_clear,
                               **expect(back_spots, clear(BACK["color"]), "back")})

    app.command("off")
    looks(desktop, "off_again", {**expect(front_spots, clear(FRONT["color"]), "front"),
                                 **expect(back_spots, clear(BACK["color"]), "back"),
                                 "desktop": lambda image: image.at(*bottom) == bare.at(*bottom)
                                 or f"{image.at(*bottom)} at the bottom"})
    # The default shortcut reaches Quorvel through the shell's own key grab,
    # whichever window has the focus (on Wayland an X client's grab would not).
    control, alt, super_, f = 0xFFE3, 0xFFE9, 0xFFEB, 0x66
    desktop.press(control, alt, super_, f)
    wait_until(lambda: app.status().startswith("focus on"), 10, "Ctrl+Alt+Super+F turning focus on")
    desktop.press(control, alt, super_, f)
    wait_until(lambda: app.status() == "focus off", 10, "Ctrl+Alt+Super+F turning focus off")
    check(app.stop() == 0, "Quorvel quits with status 0")
    for process in (front_process, back_process):
        process.stdin.close()
        process.wait(10)
    print(f"{SESSION}: {len(failures)} failure(s) in {time.monotonic() - started:.1f}s", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
