"""The recorder holds the keyboard only while the settings window is active."""

import subprocess
import sys
import time

from desktop import STARTUP_LINES, Quorvel, check, poll, run, sample_window

binary = sys.argv[1]
editor_process, editor = sample_window("Editor", "60x20+40+40", "#1d3557")
app = Quorvel(binary, settings={"isOverlayEnabled": False}).start()
MENU = 19  # the settings window's own menu bar, above the tabs


def click(wid, x, y):
    run("xdotool", "mousemove", "--window", str(wid), str(x), str(y), "click", "1")


def grabs():
    return [line.split("recorder ")[1] for line in app.lines() if "Shortcut recorder" in line]


try:
    check(app.wait_for_lines(STARTUP_LINES), "started")
    subprocess.run([binary, "settings"], env=app.env(), timeout=10, check=True)
    settings = poll(lambda: run("xdotool", "search", "--name", "^Quorvel Settings$").split(), 5)
    check(settings, "the settings window opened")
    settings = settings[0]
    time.sleep(0.5)
    click(settings, 276, MENU + 40)  # the Shortcuts tab
    time.sleep(0.3)
    click(settings, 370, MENU + 130)  # the first row's recorder
    check(poll(lambda: grabs() == ["holds the keyboard"], limit=3), "recording holds the keyboard")
    click(editor, 50, 50)
    check(poll(lambda: grabs()[-1:] == ["lets go of the keyboard"], limit=3),
          "a click on another window lets go")
    click(settings, 100, 400)
    check(poll(lambda: grabs()[-1:] == ["holds the keyboard"], limit=3),
          "back in the settings window, still recording, it holds the keyboard again")
finally:
    status = app.stop()
    editor_process.terminate()
check(status == 0, f"quit cleanly (status {status})")
print("shortcut_recorder: 1 passed, 0 failed")
