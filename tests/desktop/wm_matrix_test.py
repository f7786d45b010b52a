"""Focus on under one real window manager (run inside tests/sessions/wm-session): the
veil lies directly below the focused window's frame, that window keeps its own
colours while the windows behind it are veiled and the text behind is frosted
past reading, a switch moves the veil within
0.5 s, a click on a veiled window reaches it, and SIGTERM leaves no veil.

    wm_matrix_test.py QUORVEL SCREENSHOT_DIR WM_NAME"""

import os
import signal
import subprocess
import sys

from desktop import STARTUP_LINES, Quorvel, SampleWindows, check, client_geometry, colour, \
    fail, frame_of, is_veil, is_viewable, monitors, poll, read_pixels, run, top_level_tree, veils

binary, shots, wm = sys.argv[1:4]
os.makedirs(shots, exist_ok=True)

# Solid windows side by side, none covering another's middle, over a text window.
SOLID = {"Red": ("50x16+500+150", "#e63946"),
         "Teal": ("50x16+900+350", "#2a9d8f"),
         "Yellow": ("50x16+1300+550", "#e9c46a")}
SAME, CHANGED = 12, 40  # largest channel difference: still the colour / clearly veiled


def directly_below(client):
    """The veil right under `client`'s frame in the stacking order, if any."""
    stack = top_level_tree()
    order = [w["id"] for w in stack]
    frame = frame_of(client)
    if frame not in order:
        return None
    i = order.index(frame)
    return stack[i + 1] if i + 1 < len(stack) and is_veil(stack[i + 1]) else None


def stacking_report():
    """What to print when a placement check fails: the stack, front first."""
    named = lambda w: next((r["name"] or r["cls"] for r in [w] + w["inner"] if r["cls"]), "")
    return f"active {hex(int(active() or 0))}; stack, front first: " + " | ".join(
        f"{hex(w['id'])} {named(w)} {w['w']}x{w['h']}+{w['x']}+{w['y']}" for w in top_level_tree())


def middle(client):
    x, y, w, h = client_geometry(client)
    return x + w // 2, y + h // 2


def difference(a, b):
    return max(abs(p - q) for p, q in zip(a, b))


nudge = [0]


def frame_matches(clear, veiled, path):
    """Takes a root screenshot after a fresh frame; whether `clear` shows its
    own colour and every window in `veiled` clearly differs from its own."""
    # A window moved by a pixel makes the compositor paint a new frame.
    nudge[0] ^= 1
    run("xdotool", "windowmove", str(text), str(40 + nudge[0]), "40")
    # PNG's fastest compression: ImageMagick's default takes seconds for a screen.
    run("import", "-window", "root", "-quality", "21", path)
    pixel = read_pixels(path)
    seen = {title: pixel(*middle(ids[title])) for title in SOLID}
    print(f"  pixels in {os.path.basename(path)}: {seen}", flush=True)
    return (difference(seen[clear], colour(SOLID[clear][1])) <= SAME and
            all(difference(seen[t], colour(SOLID[t][1])) >= CHANGED for t in veiled))


def edge_contrast(path, box=(80, 120, 380, 420)):
    """Mean difference between horizontal neighbours in a part of the text
    window no other window covers: sharp text scores high, frost low."""
    pixel = read_pixels(path)
    x0, y0, x1, y1 = box
    steps = [abs(sum(pixel(x, y)) - sum(pixel(x + 1, y)))
             for y in range(y0, y1, 3) for x in range(x0, x1)]
    return sum(steps) / len(steps)


def active():
    return run("xdotool", "getactivewindow").strip()


def activate(title):
    """Makes a window the active one as a pager would; whether that happened.
    Asks again every half second: a window manager may refuse a request that
    comes right after a window was mapped."""
    def ask():
        run("xdotool", "windowactivate", str(ids[title]))
        return poll(lambda: active() == str(ids[title]), limit=0.5)
    return poll(ask, limit=5)


def shot(name):
    return os.path.join(shots, f"wm-{wm}-{name}.png")


windows = SampleWindows()
text_process = subprocess.Popen(
    ["xterm", "-T", "Text", "-geometry", "110x45+40+40", "-e", "sh", "-c",
     "yes lorem ipsum dolor sit amet consectetur adipiscing elit | head -n 2000; sleep 600"],
    stderr=subprocess.DEVNULL)
windows.processes["Text"] = text_process
text = poll(lambda: run("xdotool", "search", "--name", "^Text$").split(), limit=10)
text = int(text[0]) if text else fail("the text window did not appear")
ids = {title: windows.open(title, geometry, bg) for title, (geometry, bg) in SOLID.items()}
# A window that the window manager maps late would take the focus from Red.
check(poll(lambda: all(map(is_viewable, [text, *ids.values()])), limit=10),
      f"{wm} shows the sample windows")
# Out of the way, so that no window gets focus by the pointer entering it.
run("xdotool", "mousemove", "1910", "1070")

app = Quorvel(binary, settings={"isOverlayEnabled": True, "focusMode": "deep"})
try:
    check(activate("Red"), f"{wm}: Red is the active window")
    run("import", "-window", "root", "-quality", "21", shot("0-unveiled"))
    sharp = edge_contrast(shot("0-unveiled"))
    app.start()
    check(app.wait_for_lines(STARTUP_LINES), "started with focus on")
    check(poll(lambda: directly_below(ids["Red"]), limit=10) or print(stacking_report()),
          "a veil appears directly below the focused window's frame")
    (veil,) = veils() or [None]
    mon = monitors()[0]
    check(veil and (veil["x"], veil["y"], veil["w"], veil["h"]) == mon[1:],
          f"one veil, as large as the monitor {mon}")
    check(poll(lambda: frame_matches("Red", ["Teal", "Yellow"], shot("1-red")), limit=3),
          "the focused window shows its own colour, the windows behind it are veiled")
    # Once the veil has faded in.
    kept = poll(lambda: frame_matches("Red", ["Teal", "Yellow"], shot("1-red")) and
                edge_contrast(shot("1-red")) / sharp <= 0.4, limit=3)
    check(kept, f"the text behind keeps {edge_contrast(shot('1-red')) / sharp:.0%} of its "
                "edge contrast (at most 40 %)")

    check(activate("Teal"), "Teal is made the active window")
    check(poll(lambda: directly_below(ids["Teal"]), limit=0.5) or print(stacking_report()),
          "after a switch the veil is directly below the new focused window within 0.5 s")
    check(poll(lambda: frame_matches("Teal", ["Red", "Yellow"], shot("2-teal")), limit=3),
          "and the pixels swap roles")

    # A click in the middle of the veiled Yellow window goes through the veil.
    run("xdotool", "mousemove", *map(str, middle(ids["Yellow"])), "click", "1")
    check(poll(lambda: active() == str(ids["Yellow"]), limit=2),
          "a click on a veiled window reaches it (it becomes active)")
    check(poll(lambda: directly_below(ids["Yellow"]), limit=1) or print(stacking_report()),
          "and the veil follows it")
    run("import", "-window", "root", "-quality", "21", shot("3-clicked-yellow"))

    app.signal(signal.SIGTERM)
    check(app.wait() == 0, "SIGTERM ends Quorvel with status 0")
    check(poll(lambda: not veils(), limit=2), "no veil remains")
except SystemExit:
    print("Quorvel's log (menus left out):", *[line for line in app.lines() if "📋" not in line],
          sep="\n", flush=True)
    raise
finally:
    app.stop()
    windows.close()
