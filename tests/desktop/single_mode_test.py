"""Single mode: the monitor under the pointer keeps its front window clear;
the other monitor's veil covers all of its windows."""

import os
import sys

from desktop import STARTUP_LINES, Quorvel, SampleWindows, check, frame_of, monitors, poll, run, \
    screenshot, top_level_windows, veil_on

binary, shots = sys.argv[1], sys.argv[2]
os.makedirs(shots, exist_ok=True)
left, right = sorted(monitors(), key=lambda m: m[1])


def veil_covering(monitor):
    """Its veil's id, None when it has none (a veil may be made anew at any reading)."""
    return (veil_on(monitor) or {}).get("id")


def above(upper, lower):
    ids = [w["id"] for w in top_level_windows()]
    return upper in ids and lower in ids and ids.index(upper) < ids.index(lower)


windows = SampleWindows()
lw = windows.open("Left", "80x30+60+60", "#264653")
rw = windows.open("Right", "80x30+1100+60", "#2a9d8f")
app = Quorvel(binary, settings={"isOverlayEnabled": True, "isSingleMode": True})
try:
    run("xdotool", "mousemove", str(left[1] + 400), "700")
    app.start()
    check(app.wait_for_lines(STARTUP_LINES), "started in single mode")
    check(poll(lambda: veil_covering(left) and veil_covering(right)), "both monitors are veiled")
    check(poll(lambda: above(frame_of(lw), veil_covering(left))),
          "the pointer's monitor keeps its front window above the veil")
    check(poll(lambda: above(veil_covering(right), frame_of(rw))),
          "the other monitor's veil covers its window")
    screenshot(os.path.join(shots, "single-1-pointer-left.png"))

    run("xdotool", "mousemove", str(right[1] + 400), "700")
    check(poll(lambda: above(frame_of(rw), veil_covering(right))
               and above(veil_covering(left), frame_of(lw))),
          "moving the pointer swaps the roles")
    check(app.stop() == 0, "quits cleanly")
finally:
    app.stop()
    windows.close()
