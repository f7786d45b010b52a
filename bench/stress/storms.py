"""The storms: windows opened and closed, monitors added, resized and removed,
focus switched, each as fast as a busy desktop would; after each, Quorvel
must still run, the veil must lie right and nothing of ours may be left in
the X server."""

import random
import statistics
import time

import scene as sc
from session import Quorvel, Session, poll

SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                   "ERROR: UndefinedBehaviorSanitizer")
# What the X server holds for a client and would pile up in a leak.
LEAK_KINDS = ("WINDOW", "PIXMAP", "PICTURE", "GC", "DamageExt")


def held(x, pid):
    """What the X server holds for Quorvel, and the root's children."""
    resources = x.resources(pid)
    counts = {k: resources.get(k, 0) for k in LEAK_KINDS}
    counts["root children"] = len(x.tree(x.root)[1])
    return counts


def leak_figure(report, section, label, before, after):
    grown = {k: (before[k], after[k]) for k in before if after[k] > before[k]}
    text = ", ".join(f"{k} {before[k]}→{after[k]}" for k in before)
    report.figure(section, f"{label}: X resources left (Quorvel's and the root's children)", text,
                  "none more than before", not grown)


def after_storm(report, section, label, q, view, root_point, root_colour, before):
    alive = q.running()
    report.figure(section, f"{label}: Quorvel still runs", "yes" if alive else
                  f"no (status {q.process.returncode})", "yes", alive)
    if not alive:
        return
    view.restore_places()
    view.activate(view.main)
    taken = view.wait_until_right(3, root_point=root_point, root_colour=root_colour,
                                  name=f"{label.replace(' ', '-')}-after")
    report.figure(section, f"{label}: veil directly below the front window afterwards "
                           "(stacking and screenshot)",
                  f"{taken:.2f} s" if taken is not None else "never within 3 s", "≤ 3 s",
                  taken is not None, detail=None if taken is not None else view.stacking_report())
    # The windows the storm closed are gone from the server before we count.
    poll(lambda: held(view.x, q.pid) == before, 3, step=0.1)
    leak_figure(report, section, label, before, held(view.x, q.pid))


def window_storm(x, count, seconds, width, height):
    """`count` windows opened at an even pace over `seconds`, each closed again
    after up to a second; now and then one is activated as a pager would."""
    rng = random.Random(7)
    start = time.monotonic()
    open_ = []  # (close at, window)
    made = 0
    while made < count or open_:
        now = time.monotonic() - start
        while made < count and made * seconds / count <= now:
            w, h = rng.randint(80, 400), rng.randint(60, 300)
            win = x.create(rng.randint(0, width - w), rng.randint(0, height - h), w, h,
                           rng.randint(0, 0xFFFFFF), f"storm {made}", f"Storm{made % 25}")
            open_.append((now + rng.uniform(0.1, 1.0), win))
            made += 1
            if made % 7 == 0 and len(open_) > 1:
                x.activate(rng.choice(open_)[1])
        for item in [i for i in open_ if i[0] <= now]:
            x.destroy(item[1])
            open_.remove(item)
        x.flush()
        time.sleep(0.005)
    x.sync()
    return time.monotonic() - start


def monitor_storm(x, cycles, seconds, width, height, restore):
    """Four monitors set, resized and deleted `cycles` times over `seconds`, as
    `xrandr --setmonitor/--delmonitor` would; then the layout `restore`."""
    output = next((m[5] for m in x.monitors() if m[5]), 0)
    for m in x.monitors():
        x.delete_monitor(m[0])
    start = time.monotonic()
    step = seconds / cycles / 3
    for c in range(cycles):
        part = width // 4
        for i in range(4):
            x.set_monitor(f"STORM-{i}", i * part, 0, part, height, output if i == 0 else 0)
        x.flush()
        time.sleep(step)
        for i in range(4):  # a 2 x 2 grid, a little smaller each cycle
            w, h = width // 2 - (c % 8) * 4, height // 2 - (c % 8) * 2
            x.set_monitor(f"STORM-{i}", (i % 2) * width // 2, (i // 2) * height // 2, w, h,
                          output if i == 0 else 0)
        x.flush()
        time.sleep(step)
        for i in range(4):
            x.delete_monitor(f"STORM-{i}")
        x.flush()
        time.sleep(step)
    restore()
    return time.monotonic() - start


def storms(report, binary, tag, shots):
    """The window and monitor storms on two monitors (1280x720 split in two)."""
    section = f"storms ({tag})"
    s = Session(size="1280x720", monitors=2).desktop()
    q = None
    try:
        view = sc.Scene(s, shots)
        view.open(40, 40, 300, 200, sc.RED, "Front")
        view.open(100, 200, 500, 460, sc.TEAL, "Back")
        view.open(820, 200, 300, 250, sc.YELLOW, "Right")
        root_point, root_colour = (1200, 80), 0x4A6FA5
        view.settle()
        x = s.x
        x.pointer_to(1270, 700)
        view.activate(view.main)
        q = Quorvel(s, binary, tag, extra_env=asan_env(tag))
        taken = view.wait_until_right(30 if "asan" in tag else 10, root_point=root_point,
                                      root_colour=root_colour, name=f"{tag}-start")
        report.figure(section, "veil right at start", f"{taken:.1f} s" if taken else "no", "yes",
                      taken is not None, detail=None if taken else view.stacking_report())
        before = held(x, q.pid)
        took = window_storm(x, 500, 10, 1280, 720)
        report.figure(section, "window storm: 500 windows opened and closed", f"in {took:.1f} s",
                      "≤ 12 s", took <= 12)
        after_storm(report, section, "window storm", q, view, root_point, root_colour, before)
        if not q.running():
            return
        before = held(x, q.pid)
        took = monitor_storm(x, 100, 10, 1280, 720, lambda: s.split(2))
        report.figure(section, "monitor storm: 4 monitors set, resized, deleted 100 times",
                      f"in {took:.1f} s", "≤ 12 s", took <= 12)
        after_storm(report, section, "monitor storm", q, view, root_point, root_colour, before)
    finally:
        finish(report, section, q, tag)
        s.close()


def asan_env(tag):
    if "asan" not in tag:
        return {}
    return {"ASAN_OPTIONS": "detect_leaks=1:abort_on_error=0",
            "UBSAN_OPTIONS": "print_stacktrace=1"}


def finish(report, section, q, tag):
    """Quits Quorvel as the user would; for the sanitizer build, counts its reports."""
    if q is None:
        return
    status = q.stop(limit=30)
    if "asan" in tag:
        text = q.output()
        reports = sum(text.count(mark) for mark in SANITIZER_MARKS)
        report.figure(section, "sanitizer reports (ASan + UBSan, leaks at exit included)",
                      str(reports), "0", reports == 0,
                      detail=sanitizer_excerpt(text) if reports else None)
    report.figure(section, "quits with status 0 on SIGTERM", str(status), "0", status == 0)


def sanitizer_excerpt(text):
    lines = text.splitlines()
    for i, line in enumerate(lines):
        if any(mark in line for mark in SANITIZER_MARKS):
            return "\n".join(lines[i:i + 25])
    return ""


def second_per_tick(q):
    """Quorvel's CPU over the next second, per tick of ten a second, in µs."""
    start, t0 = q.cpu_ns(), time.monotonic()
    time.sleep(1)
    return (q.cpu_ns() - start) / 1000 / ((time.monotonic() - t0) * 10)


def tick_cost(report, binary, quick):
    """Quorvel's CPU per window-list tick (ten a second), idle, with 40 and
    with 500 windows open: it should grow at most in proportion. Quorvel
    starts anew for each count once the window manager has framed them all;
    the windows ask not to be focused when mapped, so no focus hops from one
    to the next while the window manager catches up. The median of one-second
    slices, so that a slice another process upsets does not decide."""
    section = "window list"
    slices = 4 if quick else 8
    s = Session(size="1280x720", tray=False).desktop()
    try:
        x, rng, per_tick = s.x, random.Random(3), {}
        view = sc.Scene(s, None)
        view.open(1000, 100, 260, 200, sc.RED, "Front")
        extra = []
        for total in (40, 500):
            while len(extra) < total - 1:
                extra.append(x.create(rng.randint(0, 1000), rng.randint(0, 500), 200, 150,
                                      rng.randint(0, 0xFFFFFF), f"idle {len(extra)}",
                                      f"Idle{len(extra) % 30}", focus=False))
            x.sync()
            poll(lambda: all(x.viewable(x.frame_of(w)) for w in extra), 60, step=0.2)
            view.activate(view.main)
            q = Quorvel(s, binary, f"tick-{total}")
            try:
                poll(lambda: view.veil_below(view.main), 20, step=0.1)
                time.sleep(2)  # the fade and the first frost
                per_tick[total] = statistics.median(second_per_tick(q) for _ in range(slices))
            finally:
                q.stop()
    finally:
        s.close()
    ratio = per_tick[500] / max(per_tick[40], 1e-9)
    report.figure(section, "Quorvel's CPU per window-list tick, idle, 40 → 500 windows "
                           f"(median of {slices} seconds)",
                  f"{per_tick[40]:.0f} µs → {per_tick[500]:.0f} µs, ratio {ratio:.1f}",
                  "ratio ≤ 12.5 (linear)", ratio <= 12.5)
