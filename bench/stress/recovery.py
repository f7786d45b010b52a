"""The window manager and the compositor go away and come back, then the X
server goes away for good; Quorvel runs with focus on throughout."""

import os
import subprocess
import time

import scene as sc
from session import Quorvel, Session, poll

NO_COMPOSITOR = "⚠️ No compositing manager is running"
ROOT_POINT, ROOT_COLOUR = (1200, 80), 0x4A6FA5
GAP = 1.5  # seconds the window manager or compositor stays away

# Panels as XFCE keeps them, never hidden: focus hides them, quitting gives them back.
PANELS_XML = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <value type="int" value="2"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="size" type="uint" value="26"/>
      <property name="autohide-behavior" type="uint" value="0"/>
    </property>
    <property name="panel-2" type="empty">
      <property name="position" type="string" value="p=10;x=0;y=0"/>
      <property name="length" type="uint" value="50"/>
      <property name="size" type="uint" value="48"/>
      <property name="autohide-behavior" type="uint" value="0"/>
    </property>
  </property>
</channel>
"""


def scene(s, shots):
    view = sc.Scene(s, shots)
    view.open(450, 250, 500, 380, sc.RED, "Front")
    view.open(100, 100, 500, 400, sc.TEAL, "Back")
    view.settle()
    s.x.pointer_to(1270, 700)
    view.activate(view.main)
    return view


def gap_samples(view, seconds, name):
    """Screenshots while something is away: the topmost sample window must show
    its own colour every time (no veil stuck above it). The stacking must hold
    still for a while around each shot, or the compositor may not have
    painted it yet. (samples judged, bad ones)."""
    end, samples, bad = time.monotonic() + seconds, 0, []
    while time.monotonic() < end:
        before = top_client(view)
        time.sleep(0.15)
        shot_points = [(view.windows[before][0], view.centre(before), view.windows[before][1],
                        "clear")] if before else []
        ok, seen = view.look(shot_points)
        if not before or top_client(view) != before:
            continue
        samples += 1
        if samples == 1:
            view.look(shot_points, name)
        if not ok:
            view.look(shot_points, f"{name}-veiled")
            bad.extend(seen + [view.stacking_report()])
    return samples, bad


def top_client(view):
    """The topmost sample window, if the order of the sample windows and the
    veils is still the one the previous call saw; else None."""
    _, stack = view.x.tree(view.x.root)
    order = {view.x.frame_of(c): c for c in view.windows if view.x.viewable(c)}
    shown = [w for w in reversed(stack) if w in order or view.is_veil(w)]
    top = next((order[w] for w in shown if w in order), None)
    key = tuple(shown)
    stable = getattr(view, "_last_order", None) == key
    view._last_order = key
    return top if stable else None


def back_within(report, section, label, view, q, goal=1.0):
    """The front window activated (the user's first click, counted in), then
    the time until the veil lies directly below it, seen on screen."""
    view.activate(view.main, limit=1)
    taken = view.wait_until_right(max(3, 2 * goal), root_point=ROOT_POINT,
                                  root_colour=ROOT_COLOUR,
                                  name=label.replace(" ", "-").replace(",", ""))
    report.figure(section, f"{label}: veil directly below the front window",
                  f"{taken:.2f} s" if taken is not None else "not in time", f"≤ {goal:g} s",
                  taken is not None and taken <= goal,
                  detail=None if taken is not None else view.stacking_report())
    report.figure(section, f"{label}: Quorvel still runs", "yes" if q.running() else "no", "yes",
                  q.running())


def gap_figure(report, section, label, samples, bad):
    report.figure(section, f"{label}: screenshots while away with a veil above the top window",
                  f"{len(bad)} of {samples}", "0", samples > 0 and not bad,
                  detail="\n".join(bad) or None)


def openbox_picom(report, binary, shots):
    section = "window manager and compositor (openbox, picom)"
    s = Session(size="1280x720", tray=False).desktop()
    q = None
    try:
        view = scene(s, shots)
        q = Quorvel(s, binary, "recovery")
        back_within(report, section, "start", view, q, goal=10)

        s.start_openbox(replace=True)  # the new one takes over from the running one
        back_within(report, section, "openbox --replace", view, q)

        s.kill("wm")
        gap_figure(report, section, "openbox killed",
                   *gap_samples(view, GAP, "openbox-gone"))
        s.start_openbox(replace=True)
        back_within(report, section, "openbox killed and restarted", view, q)

        s.kill("picom")
        gone = time.monotonic()
        invisible = poll(lambda: view.look(view.expected_points(False, ROOT_POINT, ROOT_COLOUR))[0],
                         3, step=0.03)
        taken = time.monotonic() - gone
        report.figure(section, "picom killed: veil invisible", f"{taken:.2f} s" if invisible
                      else "not within 3 s", "≤ 1 s", invisible and taken <= 1)
        gap_figure(report, section, "picom killed", *gap_samples(view, GAP, "picom-gone"))
        said = q.output().count(NO_COMPOSITOR)
        report.figure(section, "picom killed: the log says why, once", f"{said} times", "1",
                      said == 1)
        s.start_picom()
        back_within(report, section, "picom restarted", view, q)
    finally:
        if q:
            status = q.stop()
            report.figure(section, "quits with status 0 on SIGTERM", str(status), "0", status == 0)
        s.close()


def xfwm4_and_server(report, binary, shots):
    section = "xfwm4's compositor, then the X server"
    s = Session(size="1280x720", tray=False)
    s.env["XDG_CURRENT_DESKTOP"] = "XFCE"
    q = None
    try:
        start_panels(s)
        s.desktop("xfwm4")
        view = scene(s, shots)
        q = Quorvel(s, binary, "xfwm4", settings={"isOverlayEnabled": True, "focusMode": "deep",
                                                  "isAutoHideEnabled": True,
                                                  "autoHideOption": "both"})
        back_within(report, section, "start under xfwm4", view, q, goal=10)
        hidden = poll(lambda: panel_autohide(s) == ["2", "2"], 10, step=0.2)
        report.figure(section, "focus on hides both panels (xfconf autohide-behavior)",
                      str(panel_autohide(s)), "['2', '2']", bool(hidden))

        s.xfconf("xfwm4", "/general/use_compositing", "false")
        gone = time.monotonic()
        invisible = poll(lambda: not s.compositing() and
                         view.look(view.expected_points(False, ROOT_POINT, ROOT_COLOUR))[0],
                         3, step=0.03)
        taken = time.monotonic() - gone
        report.figure(section, "compositing off: veil invisible", f"{taken:.2f} s" if invisible
                      else "not within 3 s", "≤ 1 s", invisible and taken <= 1)
        gap_figure(report, section, "compositing off",
                   *gap_samples(view, GAP, "xfwm4-uncomposited"))
        said = q.output().count(NO_COMPOSITOR)
        report.figure(section, "compositing off: the log says why, once", f"{said} times", "1",
                      said == 1)
        s.xfconf("xfwm4", "/general/use_compositing", "true")
        poll(s.compositing, 5)
        back_within(report, section, "compositing on again", view, q)

        server_gone(report, section, s, view, q)
        q = None
    finally:
        if q:
            q.stop()
        s.close()


def start_panels(s):
    """xfce4-panel with a top bar and a dock, never hidden, through xfconfd."""
    channel = os.path.join(s.env["XDG_CONFIG_HOME"], "xfce4", "xfconf", "xfce-perchannel-xml")
    os.makedirs(channel, exist_ok=True)
    with open(os.path.join(channel, "xfce4-panel.xml"), "w") as f:
        f.write(PANELS_XML)
    s._spawn("panel", ["xfce4-panel", "--disable-wm-check"])
    if not poll(lambda: panel_autohide(s) == ["0", "0"], 20, step=0.2):
        raise RuntimeError("xfce4-panel and xfconfd did not start")


def panel_autohide(s):
    values = []
    for n in (1, 2):
        out = subprocess.run(["xfconf-query", "-c", "xfce4-panel", "-p",
                              f"/panels/panel-{n}/autohide-behavior"], env=s.env,
                             capture_output=True, text=True, timeout=10)
        values.append(out.stdout.strip())
    return values


def server_gone(report, section, s, view, q):
    """Xvfb killed: Quorvel ends within a second, says so, gives the panels back."""
    s.x.close()
    s.kill("panel")
    gone = time.monotonic()
    s.kill("Xvfb")
    try:
        status = q.process.wait(5)
    except subprocess.TimeoutExpired:
        status = None
    taken = time.monotonic() - gone
    lines = [line for line in q.output().splitlines() if "X server" in line or "X11" in line]
    report.figure(section, "X server killed: Quorvel exits", f"in {taken:.2f} s, status {status}",
                  "≤ 1 s, status ≠ 0", status not in (None, 0) and taken <= 1)
    report.figure(section, "X server killed: its last line", lines[-1] if lines else "(none)",
                  "says the X server went away", bool(lines) and "went away" in lines[-1])
    restored = panel_autohide(s)
    report.figure(section, "X server killed: panels given back (xfconf autohide-behavior)",
                  str(restored), "['0', '0']", restored == ["0", "0"])
    if status is None:
        q.stop()
