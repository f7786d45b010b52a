"""The program starts, prints its start-up lines, refuses a second instance
and a session without X11, and stops cleanly on SIGTERM."""

import signal
import sys

from desktop import STARTUP_LINES, Quorvel, check

binary = sys.argv[1]
app = Quorvel(binary).start()
check(app.wait_for_lines(STARTUP_LINES), "the start-up lines are printed")
printed = [line for line in app.lines() if line in STARTUP_LINES]
check(printed == STARTUP_LINES, "in their order, once each")

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

app.signal(signal.SIGTERM)
check(app.wait() == 0, "SIGTERM ends the program with status 0")
