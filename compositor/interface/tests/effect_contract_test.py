#!/usr/bin/python3
"""Quorvel's KWin effect, driven over D-Bus the way Quorvel drives it, inside a
headless KWin (compositor/sessions/kwin-session --plugins). What the veil does is judged
from KWin's own screenshots.

    effect_contract_test.py SCREENSHOT_DIR

Two windows of known colours: a large green one behind, a small red one in
front, overlapping. On X11 they ask for their places; on Wayland a KWin
script puts them there. Where they went is read from GetState.
"""
import os
import sys
import time

from kwin_desktop import (run_test, veils_go_with_owner, SESSION, KWinDesktop, call, check, close_windows, color, contrast,
                          failures, find_spot, looks, new_connection, open_windows, sharp, smeared,
                          wait_until, window_spots)

BACK = {"title": "Quorvel Back", "color": (0x20, 0xC0, 0x40), "width": 700, "height": 500,
        "at": (100, 100)}
FRONT = {"title": "Quorvel Front", "color": (0xD0, 0x40, 0x20), "width": 300, "height": 200,
         "at": (700, 450)}
# What the veil lays over everything below it: premultiplied, half opaque.
# 64 px wide, so a tint that is not repeated across shows as a stripe.
TINT = (20, 30, 60, 128)  # r, g, b, a
TINT_WIDTH = 64
SIGMA = 6
PAD = 3 * SIGMA + 2  # where the blur sees only the window itself
CLEAR = PAD + 30  # and beyond any shadow around a window


def tinted(rgb):
    r, g, b, a = TINT
    return tuple(round(t + c * (255 - a) / 255) for t, c in zip((r, g, b), rgb))


def set_look(owner, veil, height, mask, sigma, tint=True):
    """A look as Quorvel sends it: the tint already masked row by row."""
    r, g, b, a = TINT if tint else (0, 0, 0, 0)
    rows = []
    for y in range(height):
        m = mask(y)
        rows.append(bytes(round(c * m / 255) for c in (b, g, r, a)) * TINT_WIDTH)
    call(owner, "SetVeilLook", "uiiayayd", (veil, TINT_WIDTH, height, b"".join(rows),
                                             bytes(mask(y) for y in range(height)), float(sigma)))


def main():
    shots = sys.argv[1]
    os.makedirs(shots, exist_ok=True)
    started = time.monotonic()
    desktop = KWinDesktop(shots, "contract")
    monitor = desktop.state()["monitors"][0]
    processes, (state, front, back) = open_windows(desktop, BACK, FRONT)
    if SESSION == "wayland":
        for window in (BACK, FRONT):
            desktop.place(window["title"], *window["at"])

        def placed():
            state = desktop.state()
            ours = [desktop.window(s["title"], state) for s in (FRONT, BACK)]
            if all((w["x"], w["y"]) == s["at"] for w, s in zip(ours, (FRONT, BACK))):
                return state, *ours
            return None
        state, front, back = wait_until(placed, 10, "the windows where the script put them")
    check(all(w["type"] == "normal" and w["wmClass"] == "quorvel-color-window" and
              not w["minimized"] for w in (front, back)), f"listed as {front} and {back}")
    check(not state["overview"], "an overview is showing")
    b, f = window_spots(back, [front], PAD, CLEAR), window_spots(front, [back], PAD, CLEAR)
    area = {**monitor["workArea"], "title": "desktop"}
    spot = {"back": b["plain"], "back_band": b["band"], "front": f["plain"], "front_band": f["band"],
            # Just outside the back window, where a blur that saw it smears it.
            "back_edge": (back["x"] - 4, back["y"] + PAD),
            "back_low": find_spot(back, [back["y"] + back["height"] - PAD - 1], [front], PAD, CLEAR),
            "desktop": find_spot(area, range(area["y"] + PAD, area["y"] + area["height"] - PAD, 8),
                                 [back, front], PAD, CLEAR)}

    def expect(**verdicts):
        return {name: (spot[name], test) for name, test in verdicts.items()}

    bare = desktop.screenshot("bare")
    desktop_color = bare.at(*spot["desktop"])
    check(bare.at(*spot["back"]) == BACK["color"] and bare.at(*spot["front"]) == FRONT["color"],
          "the windows do not show their colours before any veil")

    owner = new_connection()
    veil = call(owner, "CreateVeil", "iiii", (monitor["x"], monitor["y"], monitor["width"], monitor["height"]))[0]
    set_look(owner, veil, monitor["height"], lambda y: 255, SIGMA)
    call(owner, "FadeVeil", "udd", (veil, 1.0, 0.0))
    back_veiled = dict(back=color(tinted(BACK["color"])), back_band=smeared,
                       desktop=color(tinted(desktop_color)))
    covered = expect(front=color(tinted(FRONT["color"])), front_band=smeared, **back_veiled)

    check(call(owner, "PlaceVeil", "ust", (veil, "covering", 0))[0], "PlaceVeil covering refused")
    looks(desktop, "covering", covered)
    # A window that does not exist is refused and moves nothing.
    check(not call(owner, "PlaceVeil", "ust", (veil, "below", 0xFFFFFFF0))[0],
          "PlaceVeil below an unknown window accepted")
    looks(desktop, "unknown_window", covered)
    check(call(owner, "PlaceVeil", "ust", (veil, "none", 0))[0], "PlaceVeil none refused")
    looks(desktop, "none", expect(front=color(FRONT["color"], True), back=color(BACK["color"], True),
                                  back_band=sharp, desktop=color(desktop_color, True)))

    # The mask sets the blur's strength row by row; rows at 0 stay sharp and
    # untouched even right below or above a frosted strip. A weak sigma for
    # half strength, so that half and full strength differ on 4 px stripes.
    check(call(owner, "PlaceVeil", "ust", (veil, "below", front["id"]))[0], "PlaceVeil below refused")
    cut = spot["back_band"][1] - 30
    for name, mask, sigma, opacity, tint, verdicts in (
            ("mask_half", lambda y: 128, 2, 1.0, False,
             dict(back_band=contrast(lambda c: 70 < c < 200, "not half blurred"),
                  back=color(BACK["color"]))),
            ("mask_faded_out", lambda y: 255, SIGMA, 0.0, True,
             dict(back_band=contrast(lambda c: c > 250, "blurred while faded out"),
                  back=color(BACK["color"], True))),
            ("mask_from_band", lambda y: 0 if y < cut else 255, SIGMA, 1.0, True,
             dict(back=color(BACK["color"], True), back_band=smeared,
                  back_low=color(tinted(BACK["color"])))),
            ("mask_above_band", lambda y: 255 if y < cut else 0, SIGMA, 1.0, True,
             dict(back=color(tinted(BACK["color"])),
                  back_band=contrast(lambda c: c > 250, "blurred on rows the mask leaves clear"),
                  back_low=color(BACK["color"], True)))):
        set_look(owner, veil, monitor["height"], mask, sigma, tint)
        call(owner, "FadeVeil", "udd", (veil, opacity, 0.0))
        looks(desktop, name, expect(**verdicts))
    call(owner, "FadeVeil", "udd", (veil, 1.0, 0.0))
    set_look(owner, veil, monitor["height"], lambda y: 255, SIGMA)

    # Raising the back window restacks; the veil must stay directly below the
    # window it was asked to be below, not rise above all nor follow focus.
    looks(desktop, "below", expect(front=color(FRONT["color"], True), front_band=sharp, **back_veiled))
    desktop.activate(BACK["title"], at=spot["back"])

    def raised():
        state = desktop.state()
        return state["windows"][0]["id"] == state["focused"] == back["id"]
    wait_until(raised, 10, "the back window raised")
    # Nothing of the raised window may show in the veil's blur: it now lies
    # above the veil, and a blur kept from before the restack would show it.
    looks(desktop, "after_restack", expect(front=color(FRONT["color"], True), front_band=sharp,
                                           back=color(BACK["color"], True), back_band=sharp,
                                           desktop=color(tinted(desktop_color)),
                                           back_edge=color(tinted(desktop_color))))

    veils_go_with_owner(desktop, owner, veil, expect(
        desktop=color(desktop_color, True),
                                        back=color(BACK["color"], True)))

    close_windows(processes)
    print(f"{SESSION}: {len(failures)} failure(s) in {time.monotonic() - started:.1f}s", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    run_test(main, "QUORVEL_KWIN_LOG")
