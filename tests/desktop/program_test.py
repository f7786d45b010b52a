"""Quorvel as a program. Over a corrupt settings file, which it moves aside
for the user, it starts with the defaults and prints its start-up lines; it
refuses a second instance and a session without X11. `quorvel <command>`
drives the running instance over the session bus, and `quorvel --diagnose`
explains what it sees on this desktop. SIGINT, SIGTERM and SIGHUP quit like
the Quit item: the veil goes, focus stays stored as on, and the status is 0."""

import glob
import json
import re
import signal
import subprocess
import sys
import time

from desktop import STARTUP_LINES, Quorvel, any_overlay_window_exists, check, overlays, poll, sample_window

binary = sys.argv[1]
garbage = '{"isOverlayEnabled": tru'
app = Quorvel(binary, settings_text=garbage)


def command(*args):
    done = subprocess.run([binary, *args], capture_output=True, text=True, timeout=10, env=app.env())
    return done.returncode, done.stdout.strip(), done.stderr.strip()


def status():
    return command("status")[1]


status_code, _, line = command("status")
check(status_code == 1 and line == "quorvel: Quorvel is not running "
      "(no io.github.quorvel.Quorvel1 on the session bus)",
      f"with no instance, status exits 1 with one line: {status_code} {line!r}")
editor_process, editor = sample_window("Editor", "100x35+60+60", "#1d3557")
tiny_process, tiny = sample_window("Tiny", "4x2+700+500", "#e63946")
try:
    code, report, _ = command("--diagnose")
    print(report, flush=True)
    check(code == 0, "--diagnose exits 0")
    check("window manager: Openbox" in report and "compositor: picom" in report,
          "the report names Openbox and picom")
    check("veil: unmanaged" in report and "frost: Quorvel's own" in report,
          "and the veil and frost they lead to")
    rows = {int(m[1], 16): m[2] for m in re.finditer(r"^  (0x[0-9a-f]+)  normal  \S+  (.+)$",
                                                        report, re.M)}
    check(rows.get(editor, "").startswith("can be in front"),
          f"the editor can be in front: {rows.get(editor)}")
    check(rows.get(tiny, "").startswith("never in front"),
          f"the tiny window never is: {rows.get(tiny)}")
    check(report.count(": can be grabbed") == 3, "the three shortcuts can be grabbed")

    app.start()
    check(app.wait_for_lines(STARTUP_LINES), "the program starts despite the corrupt settings file")
    check([line for line in app.lines() if line in STARTUP_LINES] == STARTUP_LINES,
          "the start-up lines in their order, once each")
    check(glob.glob(app.settings_path + ".corrupt-*"), "the corrupt file is moved aside")
    status_code, output = app.run_once()
    check(status_code == 3 and "already running" in output,
          f"a second instance on the same display refuses to start ({status_code}: {output.strip()})")
    for label, env in [
        # Xwayland's display is there, but only X11 windows would be seen.
        ("sway on Wayland with Xwayland", {"WAYLAND_DISPLAY": "wayland-0", "XDG_CURRENT_DESKTOP": "sway"}),
        ("a Wayland session type", {"DISPLAY": None, "XDG_SESSION_TYPE": "wayland"}),
        ("no display at all", {"DISPLAY": None, "WAYLAND_DISPLAY": None}),
        ("a display that is not there", {"DISPLAY": ":999"}),
    ]:
        status_code, output = app.run_once(**env)
        lines = output.strip().splitlines()
        check(status_code == 2 and len(lines) == 1 and "needs an X11 session" in lines[0],
              f"{label}: one clear line and status 2 ({status_code}: {output.strip()})")

    check(poll(lambda: status() == "focus on, deep", limit=5), "status reads focus on, deep")
    check(poll(overlays, limit=5), "the veil is up")
    check(command("toggle")[0] == 0, "toggle is accepted")
    check(poll(lambda: not overlays(), limit=3), "toggle takes the veil away")
    check(status() == "focus off", f"status follows: {status()!r}")
    check(command("on")[0] == 0 and poll(overlays, limit=3), "on brings the veil back")
    code, _, error = command("mode", "dim")
    check(code == 1 and "unknown mode 'dim'" in error, f"a bad mode is refused: {code} {error!r}")
    check(status() == "focus on, deep", "and changes nothing")
    out = command("status", "--json")[1]
    check(json.loads(out) == {"focus": True, "mode": "deep", "excluded": False, "backend": "x11"},
          f"status --json: {out}")
    check(app.stop() == 0, "it quits with status 0")

    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        name = signal.Signals(number).name
        app = Quorvel(binary, settings={"isOverlayEnabled": True}).start()
        check(app.wait_for_lines(STARTUP_LINES), f"{name}: started")
        check(poll(overlays, limit=5), f"{name}: the veil is up before the signal")
        sent = time.monotonic()
        app.signal(number)
        status_code = app.wait()
        took = time.monotonic() - sent
        check(status_code == 0, f"{name}: exit status 0 (got {status_code})")
        # The veil fades out first, but never for longer than one transition.
        check(took < 3.0, f"{name}: quit within the fade ({took:.2f} s)")
        check(not any_overlay_window_exists(), f"{name}: no veil window is left")
        with open(app.settings_path) as f:
            stored = json.load(f)
        check(stored.get("isOverlayEnabled") is True, f"{name}: focus stays stored as on")
finally:
    app.stop()
    editor_process.terminate()
    tiny_process.terminate()
