"""SIGINT, SIGTERM and SIGHUP quit like the Quit item: the veil goes, focus
stays stored as on, and the status is 0."""

import json
import signal
import sys
import time

from desktop import STARTUP_LINES, Quorvel, SampleWindows, any_overlay_window_exists, check, \
    overlays, poll

binary = sys.argv[1]
windows = SampleWindows()
windows.open("Editor", "90x30+80+80", "#1d3557")
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
    windows.close()
