"""The tray icon as a user clicks it: a plain click toggles focus, a
Shift-click switches the look, a right-click opens the menu."""

import json
import sys
import time

from desktop import STARTUP_LINES, Quorvel, SampleWindows, check, overlays, poll, run

binary = sys.argv[1]
windows = SampleWindows()
windows.open("Editor", "90x30+80+80", "#1d3557")
app = Quorvel(binary, settings={"isOverlayEnabled": True, "transitionDuration": 0.0}).start()


def stored(key):
    try:
        with open(app.settings_path) as f:
            return json.load(f).get(key)
    except (OSError, ValueError):
        return None


def quorvel_windows():
    """Viewable windows of ours, as (id, width, height)."""
    found = []
    for wid in run("xdotool", "search", "--onlyvisible", "--class", "quorvel").split():
        info = run("xwininfo", "-id", wid)
        size = {}
        for line in info.splitlines():
            key, _, value = line.strip().partition(":")
            if key in ("Width", "Height"):
                size[key] = int(value)
        if size:
            found.append((wid, size["Width"], size["Height"]))
    return found


def tray_icon():
    icons = [w for w in quorvel_windows() if w[1] <= 64 and w[2] <= 64]
    return icons[0][0] if icons else None


try:
    check(app.wait_for_lines(STARTUP_LINES), "started")
    check(poll(overlays, limit=5), "the veil is up")
    check(poll(lambda: tray_icon() is not None, limit=5), "the icon sits in the tray")
    icon = tray_icon()

    run("xdotool", "mousemove", "--window", icon, "11", "11", "click", "1")
    check(poll(lambda: not overlays(), limit=3), "a click turns focus off")
    check(poll(lambda: stored("isOverlayEnabled") is False, limit=2), "and stores it")
    time.sleep(0.4)  # past the click debounce
    run("xdotool", "mousemove", "--window", icon, "11", "11", "click", "1")
    check(poll(overlays, limit=3), "a second click turns it on again")

    before = stored("focusMode") or "deep"
    run("xdotool", "keydown", "shift", "mousemove", "--window", icon, "11", "11", "click", "1",
        "keyup", "shift")
    expected = "ambient" if before == "deep" else "deep"
    check(poll(lambda: stored("focusMode") == expected, limit=2), f"Shift-click switches to {expected}")
    check(overlays(), "and focus stays on")

    menus_before = {w[0] for w in quorvel_windows()}
    run("xdotool", "mousemove", "--window", icon, "11", "11", "click", "3")
    check(poll(lambda: any(w[0] not in menus_before and w[1] >= 150
                           for w in quorvel_windows()), limit=3), "a right-click opens the menu")
    run("xdotool", "key", "Escape")
finally:
    status = app.stop()
    windows.close()
check(status == 0, f"quit cleanly (status {status})")
print("tray_click: 1 passed, 0 failed")
