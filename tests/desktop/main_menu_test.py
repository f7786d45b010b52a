"""The settings window's own menu bar: the application menu and the "•••"
menu. Send Feedback and Learn More hand their links to the desktop's opener
(a stand-in xdg-open records them), and Ctrl+Q quits from the window."""

import os
import stat
import sys
import tempfile
import time

from desktop import STARTUP_LINES, Quorvel, check, poll, run

binary = sys.argv[1]

# Qt opens links with xdg-open; this one writes them down instead.
bin_dir = tempfile.mkdtemp(prefix="quorvel-opener-")
opened_path = os.path.join(bin_dir, "opened")
opener = os.path.join(bin_dir, "xdg-open")
with open(opener, "w") as f:
    f.write(f'#!/bin/sh\nprintf "%s\\n" "$1" >> "{opened_path}"\n')
os.chmod(opener, os.stat(opener).st_mode | stat.S_IEXEC)
os.environ["PATH"] = bin_dir + os.pathsep + os.environ["PATH"]

app = Quorvel(binary, settings={"isOverlayEnabled": False}).start()


def opened():
    try:
        with open(opened_path) as f:
            return f.read().split()
    except OSError:
        return []


def our_windows():
    return run("xdotool", "search", "--onlyvisible", "--class", "quorvel").split()


def size_of(wid):
    size = {}
    for line in run("xwininfo", "-id", wid).splitlines():
        key, _, value = line.strip().partition(":")
        if key in ("Width", "Height"):
            size[key] = int(value)
    return size.get("Width", 0), size.get("Height", 0)


def tray_icon():
    icons = [w for w in our_windows() if max(size_of(w)) <= 64]
    return icons[0] if icons else None


def settings_window():
    found = run("xdotool", "search", "--onlyvisible", "--name", "Quorvel Settings").split()
    return found[0] if found else None


def choose_from_bullets_menu(window, downs):
    """Opens "•••" (right of the application menu's title) and picks a row."""
    before = set(our_windows())
    run("xdotool", "mousemove", "--window", window, "75", "8", "click", "1")
    check(poll(lambda: set(our_windows()) - before, limit=3), "the ••• menu opens")
    run("xdotool", "key", *(["Down"] * downs), "Return")


try:
    check(app.wait_for_lines(STARTUP_LINES), "started")
    check(app.wait_for_lines(["📋 [1] •••", "📋   [0] Send Feedback"]),
          "the menu is set up at launch with ••• second")
    icon = poll(tray_icon, limit=5)
    check(icon, "the icon sits in the tray")
    run("xdotool", "mousemove", "--window", icon, "11", "11", "click", "3")
    time.sleep(0.5)
    # Settings... is the third item from the bottom of the tray menu.
    run("xdotool", "key", "Up", "Up", "Up", "Return")
    window = poll(settings_window, limit=5)
    check(window, "Settings... opens the window")
    width, height = size_of(window)
    check(width == 460 and height > 540, f"the menu bar sits above the content ({width}x{height})")

    choose_from_bullets_menu(window, 1)
    check(poll(lambda: any(u.startswith("mailto:") for u in opened()), limit=5),
          f"Send Feedback opens a mail link ({opened()})")
    check(app.wait_for_lines(["📧 Opening email client with support address"]), "and says so")

    choose_from_bullets_menu(window, 2)
    check(poll(lambda: any(u.startswith("https://") for u in opened()), limit=5),
          f"Learn More opens the product page ({opened()})")
    check(app.wait_for_lines(["🌐 Opening Quorvel product page"]), "and says so")

    run("xdotool", "windowactivate", "--sync", window)
    run("xdotool", "key", "ctrl+q")
    status = app.wait(limit=10)
    check(status == 0, f"Ctrl+Q in the window quits cleanly (status {status})")
finally:
    app.stop()
print("main_menu: passed")
