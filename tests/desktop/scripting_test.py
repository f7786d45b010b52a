"""Quorvel driven from a script: `quorvel <command>` against the running
instance over the session bus, and `quorvel --diagnose` explaining what it
sees on this desktop."""

import json
import re
import subprocess
import sys

from desktop import STARTUP_LINES, Quorvel, check, overlays, poll, sample_window

binary = sys.argv[1]
app = Quorvel(binary, settings={"isOverlayEnabled": True, "focusMode": "ambient",
                                "transitionDuration": 0.0})


def command(*args):
    done = subprocess.run([binary, *args], capture_output=True, text=True, timeout=10,
                          env=app.env())
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
    check(app.wait_for_lines(STARTUP_LINES), "started")
    check(poll(lambda: status() == "focus on, ambient", limit=5), "status reads focus on, ambient")
    check(poll(overlays, limit=5), "the veil is up")

    check(command("toggle")[0] == 0, "toggle is accepted")
    check(poll(lambda: not overlays(), limit=3), "toggle takes the veil away")
    check(status() == "focus off", f"status follows: {status()!r}")
    check(command("on")[0] == 0 and poll(overlays, limit=3), "on brings the veil back")

    code, _, error = command("mode", "dim")
    check(code == 1 and "unknown mode 'dim'" in error, f"a bad mode is refused: {code} {error!r}")
    check(status() == "focus on, ambient", "and changes nothing")
    out = command("status", "--json")[1]
    check(json.loads(out) == {"focus": True, "mode": "ambient", "excluded": False, "backend": "x11"},
          f"status --json: {out}")
finally:
    app.stop()
    editor_process.terminate()
    tiny_process.terminate()
