#!/usr/bin/python3
"""The Quorvel shell extension, driven over D-Bus the way Quorvel drives it,
inside a headless GNOME Shell (scripts/gnome-session). What the veil does is
judged from the shell's own screenshots.

    shell_contract_test.py SCREENSHOT_DIR

Two windows of known colours: a large green one behind, a small red one in
front; mutter places them (a Wayland client cannot place itself), and the test
reads where they went from GetState. Clicks come through mutter's remote
desktop interface, as a user's would.
"""
import os
import sys
import time

from gi.repository import GLib

from gnome_desktop import (SESSION, Desktop, call, check, failures, inside, near,
                           new_connection, start_window, wait_until)

BACK = {"title": "Quorvel Back", "color": (0x20, 0xC0, 0x40), "width": 700, "height": 500}
FRONT = {"title": "Quorvel Front", "color": (0xD0, 0x40, 0x20), "width": 300, "height": 200}
# What the veil lays over everything below it: premultiplied, half opaque.
# 64 px wide, so a tint that is not repeated across shows as a stripe.
TINT = (20, 30, 60, 128)  # r, g, b, a
TINT_WIDTH = 64
SIGMA = 6
STRIPE_BAND = 48  # color_window.py's band of 4 px stripes, centred

def tinted(color):
    r, g, b, a = TINT
    return tuple(round(t + c * (255 - a) / 255) for t, c in zip((r, g, b), color))


def points(back, front, monitor):
    """Where to look: plain colour and stripe band of each window, far enough
    from the edges (3 sigma) and from the other window and its shadow that
    the blur there sees only the window itself; and a spot of bare desktop."""
    pad = 3 * SIGMA + 2
    clear = pad + 30  # and beyond the shadow mutter draws around windows on X11

    def find(window, y_choices, avoid):
        for y in y_choices:
            for x in range(window["x"] + pad, window["x"] + window["width"] - pad - 16, 4):
                if not any(inside(a, x, y, clear) or inside(a, x + 16, y, clear) for a in avoid):
                    return x, y
        raise AssertionError(f"no clear spot in {window['title']}")

    def plain_rows(w):
        return [w["y"] + pad, w["y"] + w["height"] - pad - 1]

    def band_row(w):
        return [w["y"] + w["height"] // 2]

    spots = {
        "back": find(back, plain_rows(back), [front]),
        "back_band": find(back, band_row(back), [front]),
        "front": find(front, plain_rows(front), [back]),
        "front_band": find(front, band_row(front), [back]),
    }
    area = monitor["workArea"]
    desktop = {"x": area["x"], "y": area["y"], "width": area["width"], "height": area["height"],
               "title": "desktop"}
    spots["desktop"] = find(desktop, range(area["y"] + pad, area["y"] + area["height"] - pad, 8),
                            [back, front])
    return spots


def flat_tint_look(width, height):
    r, g, b, a = TINT
    pixels = bytes([b, g, r, a]) * (width * height)
    return pixels


def main():
    shots = sys.argv[1]
    os.makedirs(shots, exist_ok=True)
    started = time.monotonic()
    desktop = Desktop(shots, "contract")
    monitor = desktop.state()["monitors"][0]

    # Positions count only on X11; on Wayland mutter picks them.
    back_process = start_window(BACK, 100, 100)
    back_process.stdout.readline()
    wait_until(lambda: desktop.window(BACK["title"]), 30, "the back window in GetState")
    front_process = start_window(FRONT, 700, 450)
    front_process.stdout.readline()

    def listed():
        state = desktop.state()
        ours = [w for w in state["windows"] if w["title"] in (BACK["title"], FRONT["title"])]
        if len(ours) == 2 and state["focused"] == ours[0]["id"] and ours[0]["title"] == FRONT["title"]:
            return state, ours
        return None
    state, (front, back) = wait_until(listed, 30, "both windows listed, the front one focused")

    # Listing: front to back, with what the shell knows of each.
    for window, spec, process in ((front, FRONT, front_process), (back, BACK, back_process)):
        check((window["width"], window["height"]) == (spec["width"], spec["height"]),
              f"{spec['title']} frame {window['width']}x{window['height']}")
        check(window["pid"] == process.pid, f"{spec['title']} pid {window['pid']} != {process.pid}")
        check(window["type"] == "normal" and window["monitor"] == 0 and not window["minimized"],
              f"{spec['title']} state {window}")
        check(window["wmClass"] == "quorvel-color-window", f"{spec['title']} wmClass {window['wmClass']}")
    check(state["session"] == SESSION, f"session {state['session']} in a {SESSION} session")
    check(not state["overview"], "the overview is showing")
    print(f"windows: front {front['x']},{front['y']} back {back['x']},{back['y']}", flush=True)

    spots = points(back, front, monitor)
    print(f"looking at {spots}", flush=True)

    # Focus swaps the order, and says so with Changed.
    changes = desktop.changes
    desktop.click(*spots["back"])

    def order(first):
        state = desktop.state()
        titles = [w["title"] for w in state["windows"] if w["title"] in (BACK["title"], FRONT["title"])]
        return titles[0] == first and desktop.window(first, state)["id"] == state["focused"]
    wait_until(lambda: order(BACK["title"]), 10, "the back window focused and in front")
    wait_until(lambda: desktop.changes > changes, 5, "Changed after the focus moved")
    desktop.click(*spots["front"])
    wait_until(lambda: order(FRONT["title"]), 10, "the front window focused and in front again")

    # Reference colours with no veil, so the desktop's own colour is known.
    bare = desktop.screenshot("bare")
    desktop_color = bare.at(*spots["desktop"])
    check(bare.at(*spots["back"]) == BACK["color"], f"back window without veil {bare.at(*spots['back'])}")
    check(bare.at(*spots["front"]) == FRONT["color"], f"front window without veil {bare.at(*spots['front'])}")
    check(bare.contrast(*spots["back_band"]) > 200, "the back window's stripes are not sharp bare")

    owner = new_connection()
    veil = call(owner, "CreateVeil", "iiii", (monitor["x"], monitor["y"], monitor["width"], monitor["height"]))[0]
    call(owner, "SetVeilLook", "uiiayayd",
         (veil, TINT_WIDTH, monitor["height"], flat_tint_look(TINT_WIDTH, monitor["height"]),
          bytes([255] * monitor["height"]), float(SIGMA)))
    call(owner, "FadeVeil", "udd", (veil, 1.0, 0.0))

    def looks(name, expect):
        """Polls screenshots until every spot looks as expected; the last one
        is kept and its mismatches reported."""
        last = {}

        def matches():
            image = desktop.screenshot(name)
            wrong = [f"{spot}: {problem}" for spot, test in expect.items()
                     for problem in [test(image, spots[spot])] if problem]
            last["wrong"] = wrong
            return not wrong
        try:
            wait_until(matches, 10, name)
        except TimeoutError:
            for problem in last["wrong"]:
                check(False, f"{name}: {problem}")

    def color(expected, exact=False):
        def test(image, spot):
            actual = image.at(*spot)
            ok = actual == expected if exact else near(actual, expected)
            return None if ok else f"{actual} instead of {expected}"
        return test

    def sharp(image, spot):
        c = image.contrast(*spot)
        return None if c > 100 else f"stripes blurred (contrast {c:.0f})"

    def smeared(image, spot):
        c = image.contrast(*spot)
        return None if c < 40 else f"stripes not smeared (contrast {c:.0f})"

    front_clear = {"front": color(FRONT["color"], exact=True), "front_band": sharp}
    back_veiled = {"back": color(tinted(BACK["color"])), "back_band": smeared,
                   "desktop": color(tinted(desktop_color))}

    check(call(owner, "PlaceVeil", "ust", (veil, "below", front["id"]))[0], "PlaceVeil below refused")
    looks("below", {**front_clear, **back_veiled})

    check(call(owner, "PlaceVeil", "ust", (veil, "covering", 0))[0], "PlaceVeil covering refused")
    looks("covering", {"front": color(tinted(FRONT["color"])), "front_band": smeared, **back_veiled})

    check(call(owner, "PlaceVeil", "ust", (veil, "none", 0))[0], "PlaceVeil none refused")
    looks("none", {"front": color(FRONT["color"], exact=True), "back": color(BACK["color"], exact=True),
                   "back_band": sharp, "desktop": color(desktop_color, exact=True)})

    # The mask sets the blur's strength row by row, and rows at 0 stay sharp
    # even right below a blurred strip. A weak sigma, so that half strength
    # and full strength differ on 4 px stripes.
    call(owner, "PlaceVeil", "ust", (veil, "below", front["id"]))
    band_y = spots["back_band"][1]
    no_tint = bytes(TINT_WIDTH * monitor["height"] * 4)
    for name, mask, sigma, opacity, test in (
            ("mask_full", lambda y: 255, 2, 1.0, lambda c: c < 60),
            ("mask_half", lambda y: 128, 2, 1.0, lambda c: 70 < c < 200),
            ("mask_faded_half", lambda y: 255, 2, 0.5, lambda c: 70 < c < 200),
            ("mask_faded_out", lambda y: 255, 6, 0.0, lambda c: c > 250),
            ("mask_from_band", lambda y: 0 if y < band_y - 30 else 255, 6, 1.0, lambda c: c < 40),
            ("mask_above_band", lambda y: 255 if y < band_y - 30 else 0, 6, 1.0, lambda c: c > 250)):
        call(owner, "SetVeilLook", "uiiayayd",
             (veil, TINT_WIDTH, monitor["height"], no_tint,
              bytes(mask(y) for y in range(monitor["height"])), float(sigma)))
        call(owner, "FadeVeil", "udd", (veil, opacity, 0.0))

        def band(image, spot, test=test):
            c = image.contrast(*spot)
            return None if test(c) else f"stripe contrast {c:.0f}"
        looks(name, {"back_band": band, "back": color(BACK["color"])})
    call(owner, "FadeVeil", "udd", (veil, 1.0, 0.0))
    call(owner, "SetVeilLook", "uiiayayd",
         (veil, TINT_WIDTH, monitor["height"], flat_tint_look(TINT_WIDTH, monitor["height"]),
          bytes([255] * monitor["height"]), float(SIGMA)))

    # Raising the back window restacks every window actor; the veil must stay
    # directly below the window it was asked to be below, not rise above all.
    check(call(owner, "PlaceVeil", "ust", (veil, "below", front["id"]))[0], "PlaceVeil below refused")
    looks("below_again", {**front_clear, **back_veiled})
    desktop.click(*spots["back"])
    wait_until(lambda: order(BACK["title"]), 10, "the back window raised")
    raised = desktop.window(BACK["title"])
    inner = (raised["x"] + raised["width"] // 2, raised["y"] + 3 * SIGMA + 2)
    spots["back_top"] = inner
    looks("after_restack", {"front": color(FRONT["color"], exact=True),
                            "back_top": color(BACK["color"], exact=True),
                            "desktop": color(tinted(desktop_color))})

    # A caller that goes away takes its veils with it.
    owner.close_sync(None)
    looks("owner_gone", {"desktop": color(desktop_color, exact=True),
                         "back_top": color(BACK["color"], exact=True)})
    try:
        call(desktop.bus, "FadeVeil", "udd", (veil, 1.0, 0.0))
        check(False, "the closed connection's veil still answers")
    except GLib.Error as e:
        check("NoSuchVeil" in e.message, f"unexpected error for a gone veil: {e.message}")

    for process in (front_process, back_process):
        process.stdin.close()
        process.wait(10)
    print(f"{SESSION}: {len(failures)} failure(s) in {time.monotonic() - started:.1f}s", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Exception:
        log = os.environ.get("QUORVEL_GNOME_LOG")
        if log and os.path.exists(log):
            with open(log, errors="replace") as f:
                tail = f.readlines()[-40:]
            sys.stderr.write("--- shell log (tail) ---\n" + "".join(tail))
        raise
