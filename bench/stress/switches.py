"""Focus switches by the thousand, and what they cost in memory: each switch
goes to a window of another application, as a pager asks for it, and with
focus on waits until the veil lies below the new front window."""

import os
import re
import statistics
import subprocess
import threading
import time

import scene as sc
from session import Quorvel, Session, poll
from storms import after_storm, asan_env, finish, held

WARM_UP = 100  # switches before the first reading: caches fill once
# An application the catalog knows by its window class, so that it can be excluded.
EXCLUDED_ENTRY = """[Desktop Entry]
Type=Application
Name=Stress Excluded
Exec=stress-excluded
StartupWMClass=StressExcluded
"""


class ExclusionWatch:
    """Quorvel's "Excluded" property as it announces it on the session bus:
    every switch between an excluded and an included application is heard."""

    def __init__(self, env):
        self.excluded = None
        self.process = subprocess.Popen(
            ["gdbus", "monitor", "--session", "--dest", "io.github.quorvel.Quorvel1",
             "--object-path", "/io/github/quorvel/Quorvel1"], stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL, text=True, env=env)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            m = re.search(r"'Excluded': <(true|false)>", line)
            if m:
                self.excluded = m.group(1) == "true"

    def close(self):
        self.process.terminate()
        self.process.wait()


def switch(view, windows, count, follow, start=0, pace=0.01):
    """`count` switches round the windows; with `follow`, each waits until the
    veil lies directly below the new front frame, else until the window
    manager made the switch, and `pace` more. (missed, latencies in ms)."""
    missed, latencies = 0, []
    x = view.x
    for i in range(start + 1, start + count + 1):
        k = i % len(windows)
        t0 = time.monotonic()
        x.activate(windows[k])
        if follow:
            ok = poll(lambda: view.veil_below(windows[k]), 2, step=0.0005)
        else:
            ok = poll(lambda: x.active() == windows[k], 2, step=0.0005)
            # As a person switches: Quorvel redraws what the switch changed
            # before the next one comes.
            time.sleep(pace)
        if ok:
            latencies.append((time.monotonic() - t0) * 1000)
        else:
            missed += 1
    return missed, latencies


def switch_storm(report, binary, tag, shots, count, measure_memory=True):
    """The switch storm on one 800x600 monitor (the frost of a larger screen
    would make the X server, not Quorvel, the limit); with focus on, and for
    the memory figure once more with focus off."""
    section = f"switch storm ({tag})"
    s = Session(size="800x600").desktop()
    q = None
    try:
        applications = os.path.join(s.env["XDG_DATA_HOME"], "applications")
        os.makedirs(applications, exist_ok=True)
        with open(os.path.join(applications, "stress-excluded.desktop"), "w") as f:
            f.write(EXCLUDED_ENTRY)
        view = sc.Scene(s, shots)
        windows = [view.open(40 + 120 * i, 40 + 90 * i, 360, 260, colour, f"App {i}", f"App{i}")
                   for i, colour in enumerate((sc.RED, sc.TEAL, sc.YELLOW))]
        view.settle()
        s.x.pointer_to(790, 590)
        view.activate(windows[0])
        q = Quorvel(s, binary, tag, extra_env=asan_env(tag))
        started = view.wait_until_right(30 if "asan" in tag else 10, root_point=(760, 40),
                                        root_colour=0x4A6FA5)
        report.figure(section, "veil right at start", "yes" if started is not None else "no",
                      "yes", started is not None)
        switch(view, windows, WARM_UP, follow=True)
        time.sleep(1)
        before_x, rss0 = held(s.x, q.pid), q.rss_kib()
        t0 = time.monotonic()
        missed, latencies = switch(view, windows, count, follow=True, start=WARM_UP)
        took = time.monotonic() - t0
        lat = sorted(latencies) or [0]
        report.figure(section, f"{count} switches, each followed by the veil",
                      f"{missed} missed in {took:.0f} s; p50 {statistics.median(lat):.1f} ms, "
                      f"p95 {lat[int(0.95 * (len(lat) - 1))]:.1f} ms", "0 missed", missed == 0)
        time.sleep(1)
        rss1 = q.rss_kib()
        if measure_memory:
            memory_figure(report, "memory", f"focus on, {count} switches", rss0, rss1, count)
        after_storm(report, section, "switch storm", q, view, (760, 40), 0x4A6FA5, before_x)
        finish(report, section, q, tag)
        q = None
        if measure_memory:
            focus_off(report, s, view, binary, windows, count)
    finally:
        finish(report, section, q, tag)
        s.close()


def focus_off(report, s, view, binary, windows, count):
    """The same switches with focus off: no veil to follow, so each waits for
    the window manager; Quorvel reads the switch as it comes. Then switches
    that change the tray icon each time: to an excluded application and back."""
    q = Quorvel(s, binary, "focus-off", settings={"isOverlayEnabled": False})
    try:
        poll(lambda: "🪟 Tray icon created" in q.output(), 10, step=0.1)
        time.sleep(2)
        switch(view, windows, WARM_UP, follow=False)
        time.sleep(1)
        rss0 = q.rss_kib()
        switch(view, windows, count, follow=False, start=WARM_UP)
        time.sleep(1)
        memory_figure(report, "memory", f"focus off, {count} switches", rss0, q.rss_kib(), count)
        icon_churn(report, s, view, binary, q, windows[0], count // 3)
    finally:
        status = q.stop()
        report.figure("memory", "focus off: quits with status 0", str(status), "0", status == 0)


def icon_churn(report, s, view, binary, q, included, count):
    """`count` switches between an included and an excluded application, each
    heard on the bus: the tray icon changes at every one."""
    excluded = view.open(500, 300, 280, 240, sc.GREY, "Excluded", "StressExcluded")
    view.settle()
    watch = ExclusionWatch(s.env)
    try:
        time.sleep(0.5)  # the monitor listens
        view.activate(excluded)
        done = subprocess.run([binary, "exclude"], env=q.env, capture_output=True, text=True,
                              timeout=10)
        if not poll(lambda: watch.excluded is True, 3):
            report.figure("memory", "an application excluded for the icon switches",
                          done.stdout + done.stderr, "excluded", False)
            return
        targets = [included, excluded]
        heard = 0
        rss0 = None
        for i in range(WARM_UP + count):
            if i == WARM_UP:
                time.sleep(1)
                rss0 = q.rss_kib()
            target = targets[i % 2]
            # What is counted is Quorvel's answer to a switch the window
            # manager made: a request it let pass (as openbox now and then
            # does with requests in quick succession) is made again.
            for _ in range(4):
                view.x.activate(target)
                if poll(lambda: view.x.active() == target, 0.5, step=0.0005):
                    break
            if poll(lambda: watch.excluded is (target == excluded), 2, step=0.0005):
                heard += 1
                continue
            # What a miss looked like, to tell the program's from the window manager's.
            state = subprocess.run([binary, "status", "--json"], env=q.env, capture_output=True,
                                   text=True, timeout=10).stdout.strip()
            print(f"switch {i} to {'the excluded' if target == excluded else 'an included'} "
                  f"application not heard: the window manager's active window is "
                  f"{'the target' if view.x.active() == target else hex(view.x.active() or 0)}, "
                  f"the bus last said excluded={watch.excluded}, status {state}", flush=True)
        time.sleep(1)
        report.figure("memory", f"{WARM_UP + count} switches to and from an excluded "
                                  "application, each heard on the bus",
                      f"{heard} heard", f"{WARM_UP + count}", heard == WARM_UP + count)
        memory_figure(report, "memory", f"tray icon changed {count} times", rss0, q.rss_kib(),
                      count, goal_kib=512)
    finally:
        watch.close()


def memory_figure(report, section, label, before, after, count, goal_kib=1024):
    grown = after - before
    report.figure(section, f"resident memory growth, {label}",
                  f"{before / 1024:.1f} → {after / 1024:.1f} MiB: {grown:+d} KiB "
                  f"({grown * 1024 / count:+.0f} B per switch)", f"≤ {goal_kib} KiB",
                  grown <= goal_kib)


def startup_memory(report, binary, shots):
    """Resident memory once Quorvel has started with focus on two 3840x2160 monitors."""
    section = "memory"
    s = Session(size="7680x2160", monitors=2).desktop()
    q = None
    try:
        view = sc.Scene(s, shots)
        view.open(400, 300, 1600, 1000, sc.RED, "Left")
        view.open(1800, 1000, 1200, 800, sc.TEAL, "Behind")
        view.open(4600, 400, 1600, 1000, sc.YELLOW, "Right")
        view.settle()
        s.x.pointer_to(7670, 2150)
        view.activate(view.main)
        q = Quorvel(s, binary, "startup")
        taken = view.wait_until_right(20, root_point=(3500, 200), root_colour=0x4A6FA5,
                                      name="two-4k-monitors")
        report.figure(section, "two 3840x2160 monitors: veils right", "yes" if taken else "no",
                      "yes", taken is not None, detail=None if taken else view.stacking_report())
        time.sleep(3)  # start-up is over: the fade, the first frost, the tray
        rss = q.rss_kib() * 1024 / 1e6
        report.figure(section, "resident memory after start-up, two 3840x2160 monitors",
                      f"{rss:.1f} MB", "≤ 40 MB", rss <= 40)
    finally:
        if q:
            q.stop()
        s.close()
