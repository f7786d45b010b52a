"""Focus on under a real window manager and compositor, on one monitor or
several (run inside tests/sessions/wm-session); what it judges is in the
README's section on the window-manager matrix.

    wm_matrix_test.py QUORVEL SCREENSHOT_DIR NAME"""

import os
import signal
import statistics
import sys
import time

from desktop import STARTUP_LINES, Quorvel, SampleWindows, check, client_geometry, colour, \
    directly_below, frame_of, is_veil, is_viewable, monitors, overlays, poll, read_pixels, \
    run, stacking, stacking_report

binary, shots, name = sys.argv[1:4]
os.makedirs(shots, exist_ok=True)
mons = sorted(monitors(), key=lambda m: m[1])
SAME, CHANGED = 12, 40  # largest channel difference: still the colour / clearly veiled
# On each monitor a window behind and one in front, their middles uncovered.
PAIRS = [("Teal", "#2a9d8f", "Red", "#e63946"), ("Yellow", "#e9c46a", "Blue", "#457b9d"),
         ("Green", "#80b918", "Purple", "#7b2cbf")][:len(mons)]
COLOURS = {title: colour(rgb) for pair in PAIRS for title, rgb in (pair[:2], pair[2:])}
backs, fronts = [p[0] for p in PAIRS], [p[2] for p in PAIRS]


def middle(title):
    x, y, w, h = client_geometry(ids[title])
    return x + w // 2, y + h // 2


def difference(a, b):
    return max(abs(p - q) for p, q in zip(a, b))


def desktop_patch(pixel, monitor):
    """The mean colour and grey spread of the same stretch of desktop low on each
    monitor; None where a window covers it (a tiling window manager's)."""
    _, mx, my, mw, mh = monitor
    x, y, w, h = mx + mw // 2 - 80, my + mh - 120, 160, 80
    shown = [r for r in stacking()["windows"] if r["viewable"]]
    frames = {frame_of(c, shown) for c in ids.values()}
    if any(r["id"] in frames and r["x"] < x + w and x < r["x"] + r["w"] and r["y"] < y + h and
           y < r["y"] + r["h"] for r in shown):
        return None
    values = [pixel(x + dx, y + dy) for dx in range(0, w, 2) for dy in range(0, h, 2)]
    mean = tuple(statistics.fmean(v[i] for v in values) for i in range(3))
    return mean, statistics.pstdev(sum(v) / 3 for v in values)


nudge = [0]


def screen(path):
    """A root screenshot of a fresh frame (a window moved by a pixel makes the
    compositor paint one), in PNG's fastest compression."""
    nudge[0] ^= 1
    run("xdotool", "windowmove", str(ids["Text"]), str(40 + nudge[0]), "40")
    run("import", "-window", "root", "-quality", "21", path)
    return read_pixels(path)


def frame_matches(clear, veiled, path):
    """Whether, in a fresh screenshot, the windows in `clear` keep their colours,
    those in `veiled` clearly lose them, and the desktop each monitor shows is
    veiled (grained where it was flat) alike on all; what is wrong is printed."""
    pixel = screen(path)
    seen = {title: pixel(*middle(title)) for title in clear + veiled}
    patches = [desktop_patch(pixel, m) for m in mons]
    wrong = [f"{t} is not clear" for t in clear if difference(seen[t], COLOURS[t]) > SAME]
    wrong += [f"{t} is not veiled" for t in veiled if difference(seen[t], COLOURS[t]) < CHANGED]
    wrong += [f"the desktop on {m[0]} is bare" for m, p, b in zip(mons, patches, bare)
              if p and b and p[1] < b[1] + 4]
    shown = [p for p in patches if p]
    wrong += [f"the veil on {m[0]} differs from the first monitor's" for m, p in
              zip(mons, patches) if p and (difference(p[0], shown[0][0]) > 6 or
                                           abs(p[1] - shown[0][1]) > 3)]
    print(f"  {os.path.basename(path)}: {seen}, desktop (mean, spread) {patches}", *wrong,
          sep="\n    ", flush=True)
    return not wrong


def edge_contrast(path):
    """Mean difference between horizontal neighbours in a part of the text
    window no other window covers: sharp text scores high, frost low."""
    pixel = read_pixels(path)
    steps = [abs(sum(pixel(x, y)) - sum(pixel(x + 1, y)))
             for y in range(120, 420, 3) for x in range(80, 380)]
    return sum(steps) / len(steps)


def activate(title):
    """Whether a window became active as a pager asks, every half second (a
    window manager may refuse one right after a map)."""
    def ask():
        run("xdotool", "windowactivate", str(ids[title]))
        return poll(lambda: stacking()["active"] == ids[title], limit=0.5)
    return poll(ask, limit=5)


def veils_in_place(front_titles):
    """One veil per monitor, as large as it and directly below its front window."""
    below = [directly_below(ids[t]) for t in front_titles]
    return len(overlays()) == len(mons) and all(v and (v["x"], v["y"], v["w"], v["h"]) == m[1:] for v, m in zip(below, mons))


def veil_over_active():
    """The sample windows and veils, front first, when a veil lies above the active
    window once the window manager put it in front of the others; else ""."""
    now = stacking()
    shown = [w for w in now["windows"] if w["viewable"]]
    names = {frame_of(ids[t], shown): t for t in ids}
    seen = [names.get(w["id"], "VEIL") for w in shown if w["id"] in names or is_veil(w)]
    active = names.get(frame_of(now["active"], shown))
    in_front = active and [t for t in seen if t != "VEIL"][:1] == [active]
    return " | ".join(seen) if in_front and seen[0] == "VEIL" else ""


def shot(step):
    return os.path.join(shots, f"wm-{name}-{len(mons)}-{step}.png")


windows = SampleWindows()
ids = {"Text": windows.open("Text", "90x45+40+40", "white", ("sh", "-c", "yes lorem ipsum dolor "
                           "sit amet consectetur adipiscing elit | head -n 2000; sleep 600"))}
for (back, back_colour, front, front_colour), m in zip(PAIRS, mons):
    ids[back] = windows.open(back, f"50x16+{m[1] + 40}+450", back_colour)
    ids[front] = windows.open(front, f"50x16+{m[1] + 280}+600", front_colour)
# A window that the window manager maps late would take the focus from Red.
check(poll(lambda: all(map(is_viewable, ids.values())), limit=10),
      f"{name} shows the sample windows on {len(mons)} monitor(s)")
# Out of the way, so that no window gets focus by the pointer entering it.
run("xdotool", "mousemove", "1910", "1070")

app = Quorvel(binary, settings={"isOverlayEnabled": True, "focusMode": "deep"})
try:
    # In front on its monitor whatever the window manager did with a new window.
    for front in reversed(fronts):
        check(activate(front), f"{name}: {front} is the active window")
    unveiled = screen(shot("0-unveiled"))
    bare = [desktop_patch(unveiled, m) for m in mons]
    sharp = edge_contrast(shot("0-unveiled"))
    app.start()
    check(app.wait_for_lines(STARTUP_LINES), "started with focus on")
    check(poll(lambda: veils_in_place(fronts), limit=10) or print(stacking_report()),
          "one veil per monitor, as large as it, directly below its front window")
    check(poll(lambda: frame_matches(fronts, backs, shot("1-red")), limit=3),
          "each front window shows its own colour; behind it the window and the desktop are "
          "veiled, alike on every monitor")
    # Once the veil has faded in. Where the screen never showed the text
    # (picom's GLX backend on a software renderer keeps the text window as it
    # was mapped, blank) there is no text to judge.
    if sharp < 1:
        print(f"  the screen shows no text in the text window ({sharp:.2f}): not judged")
    else:
        kept = poll(lambda: frame_matches(fronts, backs, shot("1-red")) and
                    edge_contrast(shot("1-red")) / sharp <= 0.4, limit=3)
        check(kept, f"the text behind keeps {edge_contrast(shot('1-red')) / sharp:.0%} of its "
                    "edge contrast (at most 40 %)")

    # Switches in a row, the stacking read all along: KWin, asked twice to put
    # the veil above a window, raised it over the active one until the next
    # tick. In turn among three windows: a request the window manager carries
    # out only after the next switch would put the veil above the window it
    # names, which a switch straight back makes the active one again.
    # WORKAROUND(awesome): not judged; it restacks its clients one above the
    # other after each focus change, over the veil just put below the new one,
    # until Quorvel hears of it (about 10 ms).
    # WORKAROUND(metacity): about one reading in a hundred right after a
    # switch shows the veil on top, the next one below the active window
    # again; what lasts past one reading is judged.
    judged, seen, turns = name != "awesome", [], ["Red", "Teal", "Text"] * 8
    lasting = 2 if name == "metacity" else 1
    for title in turns:
        run("xdotool", "windowactivate", str(ids[title]))
        end = time.monotonic() + 0.15
        while judged and time.monotonic() < end:
            seen.append(veil_over_active())
    over = [s for i, s in enumerate(seen) if all(seen[i:i + lasting]) and i + lasting <= len(seen)]
    if judged:
        check(not over or print(over[0]), f"over 24 switches in a row the veil never lay above "
                                          f"the active window ({len(over)} of {len(seen)} readings)")
    # A window manager may still hold switches of the row; the next must come after them.
    check(poll(lambda: stacking()["active"] == ids[turns[-1]]), "the last switch took effect")
    check(activate("Teal"), "Teal is made the active window")
    check(poll(lambda: frame_matches(["Teal"] + fronts[1:], ["Red"] + backs[1:], shot("2-teal")))
          or print(stacking_report()), "then the pixels swap roles on its monitor only")

    # A click in the middle of a veiled window goes through the veil.
    target = backs[-1] if len(mons) > 1 else "Red"
    run("xdotool", "mousemove", *map(str, middle(target)), "click", "1")
    check(poll(lambda: stacking()["active"] == ids[target]),
          f"a click on the veiled {target} reaches it (it becomes active)")
    check(poll(lambda: directly_below(ids[target])) or print(stacking_report()),
          "and the veil follows it")
    run("import", "-window", "root", "-quality", "21", shot("3-clicked"))

    app.signal(signal.SIGTERM)
    check(app.wait() == 0, "SIGTERM ends Quorvel with status 0")
    check(poll(lambda: not overlays()), "no veil remains")
except SystemExit:
    print("Quorvel's log (menus left out):", *[line for line in app.lines() if "📋" not in line],
          sep="\n", flush=True)
    raise
finally:
    app.stop()
    windows.close()
