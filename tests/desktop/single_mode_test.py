"""Single mode: the monitor under the pointer keeps its front window clear;
the other monitor's veil covers all of its windows."""

import os
import sys

from desktop import STARTUP_LINES, Quorvel, SampleWindows, check, frame_of, monitors, overlays, \
    poll, run, screenshot, top_level_windows

binary, shots = sys.argv[1], sys.argv[2]
os.makedirs(shots, exist_ok=True)
left, right = sorted(monitors(), key=lambda m: m[1])


def veil_covering(monitor):
    _, x, y, w, h = monitor
    return next((v for v in overlays() if (v["x"], v["y"], v["w"], v["h"]) == (x, y, w, h)), None)


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
    check(poll(lambda: above(frame_of(lw), veil_covering(left)["id"])),
          "the pointer's monitor keeps its front window above the veil")
    check(poll(lambda: above(veil_covering(right)["id"], frame_of(rw))),
          "the other monitor's veil covers its window")
    screenshot(os.path.join(shots, "single-1-pointer-left.png"))

    run("xdotool", "mousemove", str(right[1] + 400), "700")
    check(poll(lambda: above(frame_of(rw), veil_covering(right)["id"])
               and above(veil_covering(left)["id"], frame_of(lw)), limit=1.0),
          "moving the pointer swaps the roles within 1 s")
    check(app.stop() == 0, "quits cleanly")
finally:
    app.stop()
    windows.close()
