"""The whole program driven as a user drives it: the focus shortcut pressed
while another application's window has the keyboard (with Super on Mod3, as
the keyboard map says), a stored shortcut on a key this keyboard lacks, and
the screen saver locking and unlocking the session."""

import base64
import json
import subprocess
import sys
import time

from desktop import STARTUP_LINES, Quorvel, SampleWindows, check, overlays, poll, run

binary = sys.argv[1]
windows = SampleWindows()
windows.open("Editor", "90x30+80+80", "#1d3557")
# Super moves off Mod4, and the key at F17's position types nothing.
run("xmodmap", "-e", "remove mod4 = Super_L Super_R", "-e", "add mod3 = Super_L Super_R",
    "-e", "keycode 195 =")
ctrl_f17 = json.dumps({"keyCode": 64, "modifiers": 262144}).encode()
# What reaches the desktop's notification service (the virtual desktop has none to show it).
notes = subprocess.Popen(["dbus-monitor", "--session", "interface='org.freedesktop.Notifications',"
                          "member='Notify'"], stdout=subprocess.PIPE, text=True)
app = Quorvel(binary, settings={"isOverlayEnabled": True, "transitionDuration": 0.0,
                                "excludeAppShortcut": {"$data": base64.b64encode(ctrl_f17).decode()}}
              ).start()


def stored_focus():
    try:
        with open(app.settings_path) as f:
            return json.load(f).get("isOverlayEnabled")
    except (OSError, ValueError):
        return None


def screensaver(active):
    subprocess.run(["dbus-send", "--session", "--type=signal", "/org/freedesktop/ScreenSaver",
                    "org.freedesktop.ScreenSaver.ActiveChanged", f"boolean:{str(active).lower()}"],
                   check=True)


try:
    check(app.wait_for_lines(STARTUP_LINES), "started")
    check(poll(overlays, limit=5), "the veil is up")
    missing = ("⚠️ Shortcut Ctrl+F17 (exclude or include the application in front): "
               "no such key on this keyboard")
    check(app.wait_for_lines([missing], limit=3), "a shortcut on a missing key is named and told")
    time.sleep(1)  # any second notification would come within this
    notes.terminate()
    told = notes.communicate()[0].count("no such key on this keyboard")
    check(told == 1, f"the desktop is asked once to show it ({told} times)")

    # The shortcut reaches Quorvel while the editor has the keyboard focus.
    run("xdotool", "search", "--name", "^Editor$", "windowactivate", "--sync")
    run("xdotool", "key", "ctrl+alt+super+f")
    check(poll(lambda: not overlays(), limit=3), "the focus shortcut takes the veil away")
    check(poll(lambda: stored_focus() is False, limit=2), "focus is stored as off")
    time.sleep(0.4)  # past the shortcut's debounce
    run("xdotool", "key", "ctrl+alt+super+f")
    check(poll(overlays, limit=3), "pressed again, the veil comes back")
    check(poll(lambda: stored_focus() is True, limit=2), "focus is stored as on")

    # Locking stops the veil; unlocking brings it back, focus staying on.
    screensaver(True)
    check(poll(lambda: not overlays(), limit=3), "the lock takes the veil away")
    screensaver(False)
    check(poll(overlays, limit=3), "the unlock brings it back")
    check(stored_focus() is True, "focus stayed on through the lock")
finally:
    status = app.stop()
    windows.close()
check(status == 0, f"quit cleanly (status {status})")
print("controls: 1 passed, 0 failed")
