"""Quorvel from start to end: over a corrupt settings file, which it moves
aside for the user, it starts with the defaults and prints its start-up lines;
it refuses a second instance and a session without X11; SIGINT, SIGTERM and
SIGHUP quit like the Quit item: the veil goes, focus stays stored as on, and
the status is 0."""

import glob
import json
import signal
import sys
import time

from desktop import STARTUP_LINES, Quorvel, any_overlay_window_exists, check, overlays, poll, sample_window

binary = sys.argv[1]
garbage = '{"isOverlayEnabled": tru'
app = Quorvel(binary, settings_text=garbage).start()
check(app.wait_for_lines(STARTUP_LINES), "the program starts despite the corrupt settings file")
check([line for line in app.lines() if line in STARTUP_LINES] == STARTUP_LINES,
      "the start-up lines in their order, once each")
aside = glob.glob(app.settings_path + ".corrupt-*")
check(len(aside) == 1, f"the corrupt file is moved aside ({aside})")
with open(aside[0]) as f:
    check(f.read() == garbage, "with the user's bytes unchanged")
check(any(aside[0] in line for line in app.lines()), "a log line says where the file went")

status, output = app.run_once()
check(status == 3 and "already running" in output,
      f"a second instance on the same display refuses to start ({status}: {output.strip()})")
for label, env in [
    # Xwayland's display is there, but only X11 windows would be seen.
    ("sway on Wayland with Xwayland", {"WAYLAND_DISPLAY": "wayland-0", "XDG_CURRENT_DESKTOP": "sway"}),
    ("a Wayland session type", {"DISPLAY": None, "XDG_SESSION_TYPE": "wayland"}),
    ("no display at all", {"DISPLAY": None, "WAYLAND_DISPLAY": None}),
    ("a display that is not there", {"DISPLAY": ":999"}),
]:
    status, output = app.run_once(**env)
    lines = output.strip().splitlines()
    check(status == 2 and len(lines) == 1 and "needs an X11 session" in lines[0],
          f"{label}: one clear line and status 2 ({status}: {output.strip()})")
check(app.stop() == 0, "it quits with status 0")

editor = sample_window("Editor", "90x30+80+80", "#1d3557")[0]
try:
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        name = signal.Signals(number).name
        app = Quorvel(binary, settings={"isOverlayEnabled": True}).start()
        check(app.wait_for_lines(STARTUP_LINES), f"{name}: started")
        check(poll(overlays, limit=5), f"{name}: the veil is up before the signal")
        sent = time.monotonic()
        app.signal(number)
        status = app.wait()
        took = time.monotonic() - sent
        check(status == 0, f"{name}: exit status 0 (got {status})")
        # The veil fades out first, but never for longer than one transition.
        check(took < 3.0, f"{name}: quit within the fade ({took:.2f} s)")
        check(not any_overlay_window_exists(), f"{name}: no veil window is left")
        with open(app.settings_path) as f:
            stored = json.load(f)
        check(stored.get("isOverlayEnabled") is True, f"{name}: focus stays stored as on")
finally:
    editor.terminate()
