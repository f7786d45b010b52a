"""With focus on, on two monitors: each monitor's veil lies directly below its
front window's frame (one kept on top too), follows window switches within a tick or so, lets
clicks through, steps away while a fullscreen window is in front, goes with its monitor, covers the other monitor in single
mode, and leaves nothing behind when the program quits."""

import os
import signal
import subprocess
import sys

from desktop import STARTUP_LINES, Quorvel, SampleWindows, check, frame_of, monitors, overlays, \
    poll, run, screenshot, top_level_windows

binary, shots = sys.argv[1], sys.argv[2]
os.makedirs(shots, exist_ok=True)


def directly_below(frame):
    """The veil right under `frame` in the stacking order, if any."""
    stack = top_level_windows()
    ids = [w["id"] for w in stack]
    if frame not in ids:
        return None
    i = ids.index(frame)
    return stack[i + 1] if i + 1 < len(stack) and '"quorvel"' in stack[i + 1]["cls"] else None


def stacking_report(client):
    """What to print when a placement check fails: the stack, front first."""
    rows = [f"{hex(w['id'])} {w['name'] or w['cls']} {w['w']}x{w['h']}+{w['x']}+{w['y']}"
            for w in top_level_windows()]
    return f"frame {hex(frame_of(client))}; stack: " + " | ".join(rows)


def veil_on(monitor):
    _, x, y, w, h = monitor
    for v in overlays():
        if (v["x"], v["y"], v["w"], v["h"]) == (x, y, w, h):
            return v
    return None


mons = monitors()
check(len(mons) == 2, f"the virtual desktop has two monitors ({mons})")
left, right = sorted(mons, key=lambda m: m[1])

windows = SampleWindows()
back = windows.open("Back", "80x30+40+40", "#264653")       # left monitor, behind
front = windows.open("Front", "60x20+300+400", "#e76f51")   # left monitor, in front
other = windows.open("Other", "70x25+1100+120", "#2a9d8f")  # right monitor
app = Quorvel(binary, settings={"isOverlayEnabled": True, "focusMode": "ambient"})
try:
    app.start()
    check(app.wait_for_lines(STARTUP_LINES), "started with focus on")
    check(poll(lambda: len(overlays()) == 2), "one veil per monitor")
    # The sample windows may still be settling in when the program starts.
    check(poll(lambda: directly_below(frame_of(front)), limit=10) or print(stacking_report(front)),
          "left veil directly below the front window")
    check(poll(lambda: directly_below(frame_of(other))), "right veil directly below its window")
    check(veil_on(left) and veil_on(right), "each veil covers exactly its monitor")
    screenshot(os.path.join(shots, "overlay-1-front.png"))

    run("wmctrl", "-a", "Back")
    check(poll(lambda: directly_below(frame_of(back)), limit=1.0),
          "after wmctrl -a the veil moves below the newly active window within 1 s")

    run("wmctrl", "-a", "Front")
    check(poll(lambda: directly_below(frame_of(front)), limit=1.0), "and back again")
    # "Always on top" is a choice for a window one works in: it is the front window.
    run("wmctrl", "-a", "Back")
    check(poll(lambda: directly_below(frame_of(back)), limit=1.0), "the veil is below Back")
    run("wmctrl", "-r", "Front", "-b", "add,above")
    run("wmctrl", "-a", "Front")
    check(poll(lambda: directly_below(frame_of(front)), limit=1.0) or print(stacking_report(front)),
          "a focused keep-above window has the veil directly below it")
    run("wmctrl", "-r", "Front", "-b", "remove,above")
    # A click on the veiled window's visible part goes through the veil to it.
    run("xdotool", "mousemove", "60", "100", "click", "1")
    check(poll(lambda: run("xdotool", "getactivewindow").strip() == str(back), limit=1.0),
          "a click on a veiled window reaches it (it becomes active)")
    check(poll(lambda: directly_below(frame_of(back)), limit=1.0), "and the veil follows it")
    screenshot(os.path.join(shots, "overlay-2-clicked-back.png"))

    # Unmapped, not just covered, so the compositor can show the window directly.
    run("wmctrl", "-r", "Back", "-b", "add,fullscreen")
    check(poll(lambda: veil_on(left) is None and veil_on(right), limit=3.0),
          "a fullscreen front window takes its monitor's veil away; the other monitor keeps its own")
    run("wmctrl", "-r", "Back", "-b", "remove,fullscreen")
    check(poll(lambda: directly_below(frame_of(back)), limit=3.0),
          "leaving fullscreen brings the veil back below the window")

    run("xrandr", "--delmonitor", right[0])
    check(poll(lambda: veil_on(right) is None, limit=2.0), "removing a monitor removes its veil")
    check(poll(lambda: len(overlays()) >= 1), "the remaining monitor keeps a veil")

    app.signal(signal.SIGTERM)
    check(app.wait() == 0, "SIGTERM ends the program with status 0")
    check(not overlays(), "no veil is left on screen")
finally:
    app.stop()
    windows.close()
