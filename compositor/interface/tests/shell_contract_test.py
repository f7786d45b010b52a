#!/usr/bin/python3
"""The Quorvel shell extension, driven over D-Bus the way Quorvel drives it,
inside a headless GNOME Shell (compositor/sessions/gnome-session). What the veil does is
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

from gnome_desktop import (run_test, veils_go_with_owner, SESSION, Desktop, call, check, close_windows, color, contrast, failures,
                           find_spot, looks, new_connection, open_windows, sharp, smeared,
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
CLEAR = PAD + 30  # and beyond the shadow mutter draws around windows on X11


def tinted(rgb):
    r, g, b, a = TINT
    return tuple(round(t + c * (255 - a) / 255) for t, c in zip((r, g, b), rgb))


def set_look(owner, veil, height, mask, sigma, tint=True):
    r, g, b, a = TINT if tint else (0, 0, 0, 0)
    call(owner, "SetVeilLook", "uiiayayd", (veil, TINT_WIDTH, height,
                                             bytes([b, g, r, a]) * (TINT_WIDTH * height),
                                             bytes(mask(y) for y in range(height)), float(sigma)))


def main():
    shots = sys.argv[1]
    os.makedirs(shots, exist_ok=True)
    started = time.monotonic()
    desktop = Desktop(shots, "contract")
    monitor = desktop.state()["monitors"][0]
    processes, (state, front, back) = open_windows(desktop, BACK, FRONT)
    # What Quorvel's own test cannot see: the fields it does not read itself.
    check(all(w["type"] == "normal" and w["wmClass"] == "quorvel-color-window" and
              not w["minimized"] for w in (front, back)), f"listed as {front} and {back}")
    check(not state["overview"], "the overview is showing")
    b, f = window_spots(back, [front], PAD, CLEAR), window_spots(front, [back], PAD, CLEAR)
    area = {**monitor["workArea"], "title": "desktop"}
    spot = {"back": b["plain"], "back_band": b["band"], "front": f["plain"], "front_band": f["band"],
            "desktop": find_spot(area, range(area["y"] + PAD, area["y"] + area["height"] - PAD, 8),
                                 [back, front], PAD, CLEAR)}

    def expect(**verdicts):
        return {name: (spot[name], test) for name, test in verdicts.items()}

    bare = desktop.screenshot("bare")
    desktop_color = bare.at(*spot["desktop"])

    owner = new_connection()
    veil = call(owner, "CreateVeil", "iiii", (monitor["x"], monitor["y"], monitor["width"], monitor["height"]))[0]
    set_look(owner, veil, monitor["height"], lambda y: 255, SIGMA)
    call(owner, "FadeVeil", "udd", (veil, 1.0, 0.0))
    back_veiled = dict(back=color(tinted(BACK["color"])), back_band=smeared,
                       desktop=color(tinted(desktop_color)))

    check(call(owner, "PlaceVeil", "ust", (veil, "covering", 0))[0], "PlaceVeil covering refused")
    looks(desktop, "covering", expect(front=color(tinted(FRONT["color"])), front_band=smeared,
                                      **back_veiled))
    check(call(owner, "PlaceVeil", "ust", (veil, "none", 0))[0], "PlaceVeil none refused")
    looks(desktop, "none", expect(front=color(FRONT["color"], True), back=color(BACK["color"], True),
                                  back_band=sharp, desktop=color(desktop_color, True)))

    # The mask sets the blur's strength row by row, and rows at 0 stay sharp
    # even right below a blurred strip. A weak sigma, so that half strength
    # and full strength differ on 4 px stripes.
    call(owner, "PlaceVeil", "ust", (veil, "below", front["id"]))
    band_y = spot["back_band"][1]
    for name, mask, sigma, opacity, holds in (
            ("mask_half", lambda y: 128, 2, 1.0, lambda c: 70 < c < 200),
            ("mask_faded_out", lambda y: 255, 6, 0.0, lambda c: c > 250),
            ("mask_from_band", lambda y: 0 if y < band_y - 30 else 255, 6, 1.0, lambda c: c < 40),
            ("mask_above_band", lambda y: 255 if y < band_y - 30 else 0, 6, 1.0, lambda c: c > 250)):
        set_look(owner, veil, monitor["height"], mask, sigma, tint=False)
        call(owner, "FadeVeil", "udd", (veil, opacity, 0.0))
        looks(desktop, name, expect(back_band=contrast(holds, "wrong blur"), back=color(BACK["color"])))
    call(owner, "FadeVeil", "udd", (veil, 1.0, 0.0))
    set_look(owner, veil, monitor["height"], lambda y: 255, SIGMA)

    # Raising the back window restacks every window actor; the veil must stay
    # directly below the window it was asked to be below, not rise above all.
    check(call(owner, "PlaceVeil", "ust", (veil, "below", front["id"]))[0], "PlaceVeil below refused")
    looks(desktop, "below", expect(front=color(FRONT["color"], True), front_band=sharp, **back_veiled))
    desktop.click(*spot["back"])

    def raised():
        state = desktop.state()
        return state["windows"][0]["id"] == state["focused"] == back["id"]
    wait_until(raised, 10, "the back window raised")
    spot["back_top"] = (back["x"] + back["width"] // 2, back["y"] + PAD)
    looks(desktop, "after_restack", expect(front=color(FRONT["color"], True),
                                           back_top=color(BACK["color"], True),
                                           desktop=color(tinted(desktop_color))))

    veils_go_with_owner(desktop, owner, veil, expect(
        desktop=color(desktop_color, True),
                                        back_top=color(BACK["color"], True)))

    close_windows(processes)
    print(f"{SESSION}: {len(failures)} failure(s) in {time.monotonic() - started:.1f}s", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    run_test(main, "QUORVEL_GNOME_LOG")
