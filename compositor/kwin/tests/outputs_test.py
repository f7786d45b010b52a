#!/usr/bin/python3
"""The KWin effect on two outputs side by side (KWin Wayland paints each on
its own): a veil per output, each below the front window, which lies on the
second; the window behind spans both. Both outputs show their veil alike:
the bare desktop tinted the same, the window behind tinted and smeared on
each side; the front window stays exact, and nothing of it is frosted into
the veil just outside its edges; so too after other windows have repainted
parts of the second output. Once the veils are faded out, hidden and
destroyed, both outputs are bare again.

    outputs_test.py SCREENSHOT_DIR
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "interface", "tests"))
from contract_test import BACK, FRONT, nearest, open_window, tinted, veil_below  # noqa: E402
from desktop_common import (Owner, bare_screenshot, check, corners, close_windows, color, desktop_driver,  # noqa: E402
                            looks, plain_spot, run_test, sharp, smeared, text_boxes, unchanged)

SMALL = {"title": "Quorvel Small", "color": (0xE0, 0xE0, 0x20), "width": 120, "height": 90}


def main():
    shots = sys.argv[1]
    os.makedirs(shots, exist_ok=True)
    owner = Owner()
    desktop = desktop_driver()(shots, "outputs", owner.bus)
    first, second = owner.state()["monitors"]
    processes = []
    back = open_window(desktop, owner, {**BACK, "at": (second["x"] - 600, 60)}, processes)
    front = open_window(desktop, owner, {**FRONT, "at": (second["x"] + 700, 200)}, processes)
    check(front["monitor"] == 1, f"the front window on monitor {front['monitor']}")
    fx, fy, fw, fh = front["x"], front["y"], front["width"], front["height"]
    bx, by, bw = back["x"], back["y"], back["width"]
    spot = {"desktop_first": (first["x"] + 30, first["height"] - 30),
            "desktop_second": (second["x"] + second["width"] - 60, second["height"] - 60),
            "left_of_front": (fx - 3, fy + fh // 2), "right_of_front": (fx + fw + 2, fy + fh // 2),
            "above_front": (fx + fw // 2, fy - 3), "below_front": (fx + fw // 2, fy + fh + 2),
            "back_first": (bx + 30, by + 30), "back_second": (bx + bw - 30, by + 30)}
    boxes = list(text_boxes(back, []))
    texts = {"back_text_first": nearest(boxes, (bx + 100, by + 100)),
             "back_text_second": nearest(boxes, (bx + bw - 150, by + 100))}
    check(texts["back_text_second"][0] > second["x"] > texts["back_text_first"][0] + 40,
          f"the window behind does not span both outputs: {back}")
    front_spot, front_text = plain_spot(front, []), next(text_boxes(front, []))
    bare = bare_screenshot(desktop, {front_spot: FRONT["color"], spot["back_second"]: BACK["color"],
                                     **corners(front, FRONT["color"])})

    veils = [veil_below(owner, monitor, front["id"]) for monitor in (first, second)]
    verdicts = {name: color(at, tinted(bare.at(*at))) for name, at in spot.items()}
    verdicts.update({name: smeared(box) for name, box in texts.items()})
    verdicts.update({"front": unchanged(front_spot), "front_text": sharp(front_text)})
    looks(desktop, "veiled", verdicts, bare)

    # Windows that come and go above the veil repaint parts of the second
    # output only; the veil there must not build up on the frames before.
    open_window(desktop, owner, {**SMALL, "at": (second["x"] + 900, 500)}, processes)
    for step in range(6):
        desktop.place(SMALL["title"], second["x"] + 900 + 20 * step, 500)
    looks(desktop, "after_repaints", verdicts, bare)

    # As when focus goes off; the small window lies clear of every spot.
    for veil in veils:
        owner("FadeVeil", "udd", (veil, 0.0, 0.0))
        owner("PlaceVeil", "ust", (veil, "hidden", 0))
        owner("DestroyVeil", "u", (veil,))
    looks(desktop, "gone", {name: unchanged(at) for name, at in spot.items()}, bare)
    close_windows(processes)


if __name__ == "__main__":
    run_test(main)
