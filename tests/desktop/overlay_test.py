"""With focus on, on two monitors, what the window-manager matrix leaves out: a
focused keep-above window has the veil directly below it, a fullscreen front
window takes its monitor's veil away until it leaves fullscreen, a monitor
removed takes its veil along, and nothing is left when the program quits."""

import os
import sys

from desktop import STARTUP_LINES, Quorvel, SampleWindows, check, directly_below, monitors, \
    overlays, poll, run, screenshot, stacking_report, veil_on

binary, shots = sys.argv[1], sys.argv[2]
os.makedirs(shots, exist_ok=True)


mons = monitors()
check(len(mons) == 2, f"the virtual desktop has two monitors ({mons})")
left, right = sorted(mons, key=lambda m: m[1])

windows = SampleWindows()
back = windows.open("Back", "80x30+40+40", "#264653")       # left monitor, behind
front = windows.open("Front", "60x20+300+400", "#e76f51")   # left monitor, in front
windows.open("Other", "70x25+1100+120", "#2a9d8f")  # right monitor
app = Quorvel(binary, settings={"isOverlayEnabled": True, "focusMode": "ambient"})
try:
    app.start()
    check(app.wait_for_lines(STARTUP_LINES), "started with focus on")
    # The sample windows may still be settling in when the program starts.
    check(poll(lambda: directly_below(front) and veil_on(left) and veil_on(right), limit=10)
          or print(stacking_report()), "a veil on each monitor, the left one below Front")

    # "Always on top" is a choice for a window one works in: it is the front window.
    run("wmctrl", "-a", "Back")
    check(poll(lambda: directly_below(back)), "the veil is below Back")
    run("wmctrl", "-r", "Front", "-b", "add,above")
    run("wmctrl", "-a", "Front")
    check(poll(lambda: directly_below(front)) or print(stacking_report()),
          "a focused keep-above window has the veil directly below it")
    run("wmctrl", "-r", "Front", "-b", "remove,above")
    run("wmctrl", "-a", "Back")
    screenshot(os.path.join(shots, "overlay-1-back.png"))

    # Unmapped, not just covered, so the compositor can show the window directly.
    run("wmctrl", "-r", "Back", "-b", "add,fullscreen")
    check(poll(lambda: veil_on(left) is None and veil_on(right)),
          "a fullscreen front window takes its monitor's veil away; the other monitor keeps its own")
    run("wmctrl", "-r", "Back", "-b", "remove,fullscreen")
    check(poll(lambda: directly_below(back)),
          "leaving fullscreen brings the veil back below the window")

    run("xrandr", "--delmonitor", right[0])
    check(poll(lambda: veil_on(right) is None), "removing a monitor removes its veil")
    check(poll(lambda: len(overlays()) >= 1), "the remaining monitor keeps a veil")
finally:
    app.stop()
    windows.close()
