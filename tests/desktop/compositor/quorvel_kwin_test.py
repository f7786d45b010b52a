#!/usr/bin/python3
"""Quorvel itself on KWin, through its effect: the tracking that runs on
every desktop decides, KWin draws the veil. Judged from screenshots.

    quorvel_kwin_test.py QUORVEL_BINARY SCREENSHOT_DIR

Quorvel starts with the effect unloaded and must load it itself. Two windows
of known colours with a band of stripes: the one in front keeps its exact
colours and sharp stripes, the one behind is tinted and smeared, and the
roles swap when the other window gets the focus.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.dirname(HERE),
                os.path.join(HERE, "..", "..", "..", "compositor", "interface", "tests")]
from kwin_desktop import (SESSION, KWinDesktop, call, check, clear_and_veiled, clear_at_top,
                          close_windows, color, failures, looks, open_windows, sharp, wait_until,
                          window_spots)

from desktop import Quorvel, run  # noqa: E402

# On Wayland the window behind is an Xwayland client, the one in front a
# native one: the roles swap, so each is seen both veiled and clear.
BACK = {"title": "Quorvel Back", "color": (0x20, 0xC0, 0x40), "width": 560, "height": 360,
        "at": (60, 120), "env": {"GDK_BACKEND": "x11"}}
FRONT = {"title": "Quorvel Front", "color": (0xD0, 0x40, 0x20), "width": 420, "height": 300,
         "at": (640, 380)}
MARGIN = 40


def main():
    binary, shots = sys.argv[1], sys.argv[2]
    desktop = KWinDesktop(shots, "quorvel")
    processes, _ = open_windows(desktop, BACK, FRONT)
    for window in (BACK, FRONT):
        desktop.place(window["title"], *window["at"])
    wait_until(lambda: desktop.window(BACK["title"])["x"] == BACK["at"][0], 10, "the windows placed")
    back, front = desktop.window(BACK["title"]), desktop.window(FRONT["title"])
    call(desktop.bus, "unloadEffect", "s", ("quorvel",), dest="org.kde.KWin", path="/Effects",
         iface="org.kde.kwin.Effects")

    app = Quorvel(binary).start()
    wait_until(lambda: "🔧 Loaded Quorvel's KWin effect" in app.output(), 30, "the effect loaded")
    wait_until(lambda: "🔧 Backend: KWin" in app.output(), 30, "Quorvel on the KWin backend")
    # No tray in this bare KWin: the settings window stands in for it.
    wait_until(lambda: desktop.window("Quorvel Settings"), 30, "the settings window")
    run("wmctrl", "-c", "Quorvel Settings")
    wait_until(lambda: not desktop.window("Quorvel Settings"), 10, "the settings window closed")

    back_spots = window_spots(back, [front], MARGIN, MARGIN)
    front_spots = window_spots(front, [back], MARGIN, MARGIN)
    desktop.activate(FRONT["title"], front_spots["plain"])
    run(binary, "off")
    looks(desktop, "off", {"front": (front_spots["band"], sharp), "back": (back_spots["band"], sharp)})
    bare = desktop.screenshot("bare")
    run(binary, "on")
    run(binary, "mode", "deep")
    looks(desktop, "deep", clear_and_veiled(FRONT, front_spots, BACK, back_spots))
    desktop.activate(BACK["title"], back_spots["plain"])
    looks(desktop, "swapped", clear_and_veiled(BACK, back_spots, FRONT, front_spots))
    # Ambient mode fades the veil out towards the top edge of the monitor.
    run(binary, "mode", "ambient")
    top, bottom = (1200, 8), (1200, 760)

    looks(desktop, "ambient", {"desktop": (top, clear_at_top(bare, top, bottom))})
    run(binary, "off")
    looks(desktop, "off_again", {"front": (front_spots["plain"], color(FRONT["color"], True)),
                                 "back": (back_spots["plain"], color(BACK["color"], True))})
    check(app.stop() == 0, "Quorvel quits with status 0")
    close_windows(processes)
    print(f"{SESSION}: {len(failures)} failure(s)", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
