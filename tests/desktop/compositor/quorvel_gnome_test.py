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
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.dirname(HERE),
                os.path.join(HERE, "..", "..", "..", "compositor", "interface", "tests")]
from desktop import Quorvel, run  # noqa: E402
from gnome_desktop import (SESSION, Desktop, call, check, clear_and_veiled, clear_at_top,
                           close_windows, color, failures, inside, looks, open_windows, sharp,
                           start_window,
                           veiled, wait_until, window_spots)

BACK = {"title": "Quorvel Back", "color": (0x20, 0xC0, 0x40), "width": 560, "height": 360,
        "at": (60, 120)}
FRONT = {"title": "Quorvel Front", "color": (0xD0, 0x40, 0x20), "width": 420, "height": 300,
         "at": (640, 380)}
SIDE = {"title": "Quorvel Side", "color": (0x80, 0x30, 0xA0), "width": 300, "height": 200}
MARGIN = 40  # from window edges and the shadows mutter draws on X11


def main():
    binary, shots = sys.argv[1], sys.argv[2]
    os.makedirs(shots, exist_ok=True)
    started = time.monotonic()
    desktop = Desktop(shots, "quorvel")
    processes, (_, front, back) = open_windows(desktop, BACK, FRONT)
    # On a second monitor (Wayland), a window of its own, opened where the pointer is.
    others = desktop.state()["monitors"][1:]
    for other in others:
        desktop.click(other["x"] + other["width"] // 2, other["y"] + other["height"] // 2)
        processes.append(start_window(SIDE, 0, 0))
        wait_until(lambda: desktop.window(SIDE["title"]), 30, "the window on monitor 2")

    # A user who installed Quorvel but never enabled its extension is offered
    # to enable it, and takes the offer.
    call(desktop.bus, "DisableExtension", "s", ("quorvel@quorvel.github.io",),
         dest="org.gnome.Shell", path="/org/gnome/Shell", iface="org.gnome.Shell.Extensions")
    app = Quorvel(binary).start()
    wait_until(lambda: "not enabled: run 'gnome-extensions enable quorvel@quorvel.github.io'"
               in app.output(), 30, "the line on how to enable it")
    # The extension is off, so the dialog is found on Quorvel's own X display.
    wait_until(lambda: any(line.endswith(" Quorvel") for line in run("wmctrl", "-l").splitlines()),
               30, "the offer to enable it")
    # Return, the offer's default button (Enable), through Xwayland's own test
    # input: mutter's virtual keyboard breaks an X client's connection there.
    run("xdotool", "key", "Return")
    wait_until(lambda: "🔧 Backend: GNOME Shell" in app.output(), 30, "Quorvel on the GNOME backend")
    # GNOME shows no tray icons by itself: the settings window stands in.
    settings = wait_until(lambda: desktop.window("Quorvel Settings"), 30, "the settings window")
    check(settings["pid"] == app.process.pid, "the settings window is Quorvel's")
    check("No tray host" in app.output(), "the log says why the settings window opened")
    run("wmctrl", "-c", "Quorvel Settings")
    wait_until(lambda: not desktop.window("Quorvel Settings"), 10, "the settings window closed")

    back_spots = window_spots(back, [front], MARGIN, MARGIN)
    front_spots = window_spots(front, [back], MARGIN, MARGIN)
    desktop.click(*front_spots["plain"])
    wait_until(lambda: desktop.state()["focused"] == front["id"], 10, "the front window focused")
    run(binary, "off")  # whatever the first start chose, the bare desktop first
    looks(desktop, "off", {"front": (front_spots["band"], sharp), "back": (back_spots["band"], sharp)})
    bare = desktop.screenshot("bare")
    area = desktop.state()["monitors"][0]["workArea"]
    # The other monitor's desktop at its top and bottom edges, veiled there
    # only when its veil's frame is right; and its window, clear.
    second = {}
    for m in others:
        side = desktop.window(SIDE["title"])  # where mutter has placed it by now
        second = {"side window": ((side["x"] + side["width"] // 2, side["y"] + MARGIN // 2),
                                  color(SIDE["color"], True)),
                  **{f"monitor 2 at {y}": ((m["x"] + 4, y), veiled(bare.at(m["x"] + 4, y)))
                     for y in (m["y"] + 2, m["y"] + m["height"] - 3)}}
    # Just below the top bar, and near the bottom edge, clear of both windows.
    column = next(x for x in range(area["x"] + MARGIN, area["x"] + area["width"] - MARGIN, 8)
                  if not any(inside(w, x, y, MARGIN) for w in (back, front)
                             for y in (area["y"] + 8, area["y"] + area["height"] - MARGIN)))
    top, bottom = (column, area["y"] + 8), (column, area["y"] + area["height"] - MARGIN)

    run(binary, "on")
    run(binary, "mode", "deep")
    looks(desktop, "deep", {**clear_and_veiled(FRONT, front_spots, BACK, back_spots),
                            **second})
    # The user clicks the window behind: it comes clear, the other is veiled.
    desktop.click(*back_spots["plain"])
    looks(desktop, "swapped", clear_and_veiled(BACK, back_spots, FRONT, front_spots))

    # Ambient mode fades the veil out towards the top edge of the monitor.
    run(binary, "mode", "ambient")

    looks(desktop, "ambient", {"desktop": (top, clear_at_top(bare, top, bottom)),
                               "back": (back_spots["plain"], color(BACK["color"], True))})

    run(binary, "off")
    looks(desktop, "off_again", {"front": (front_spots["plain"], color(FRONT["color"], True)),
                                 "front stripes": (front_spots["band"], sharp),
                                 "desktop": (bottom, color(bare.at(*bottom), True)),
                                 **{k: (p, color(bare.at(*p), True)) for k, (p, _) in second.items()}})

    # The default shortcut reaches Quorvel through the shell's own key grab,
    # whichever window has the focus (on Wayland an X client's grab would not).
    control, alt, super_, f = 0xFFE3, 0xFFE9, 0xFFEB, 0x66
    desktop.press(control, alt, super_, f)
    wait_until(lambda: run(binary, "status").startswith("focus on"), 10, "Ctrl+Alt+Super+F: focus on")
    desktop.press(control, alt, super_, f)
    wait_until(lambda: run(binary, "status").strip() == "focus off", 10, "Ctrl+Alt+Super+F: focus off")
    check(app.stop() == 0, "Quorvel quits with status 0")
    close_windows(processes)
    print(f"{SESSION}: {len(failures)} failure(s) in {time.monotonic() - started:.1f}s", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
