#!/usr/bin/python3
"""A window that repaints all of itself on every frame the compositor offers
it (60 a second on the benchmark's monitors): the work measured is the
compositor's, so something behind the veil must keep changing.

    animated_window.py --title T --width W --height H [--app ID]

Undecorated, like compositor/interface/tests/color_window.py. Its colour
changes every frame: a full-window damage for the compositor at the least
cost to this process, which shares the machine with it. Prints "ready" once
mapped. On a line "frames" on stdin it prints how many frames it has drawn
and when ("frames N SECONDS", CLOCK_MONOTONIC); ends on "quit" or the end of
stdin.
"""
import argparse
import colorsys
import os
import sys
import time
import warnings

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import GLib  # noqa: E402

APP = sys.argv[sys.argv.index("--app") + 1] if "--app" in sys.argv else "quorvel-animated-window"
GLib.set_prgname(APP)
from gi.repository import Gdk, Gtk  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "compositor", "interface",
                                "tests"))
from color_window import plain_window, serve  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)
HUES = 120  # frames per turn of the colour wheel: two seconds at 60 a second


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--title", required=True)
    parser.add_argument("--width", type=int, required=True)
    parser.add_argument("--height", type=int, required=True)
    parser.add_argument("--app", help="the app id (a desktop entry of that name)")
    args = parser.parse_args()
    Gdk.set_program_class(APP)
    colors = [Gdk.RGBA(*colorsys.hsv_to_rgb(i / HUES, 0.6, 0.8), 1.0) for i in range(HUES)]
    drawn = [0]

    def build(application=None):
        window = plain_window(application, args.title, args.width, args.height)

        # The frame clock ticks once per frame the compositor lets the window
        # draw; each tick paints it anew in the next colour. (Deprecated, but
        # one call, where a style provider would be parsed every frame.)
        def tick(widget, clock):
            widget.override_background_color(Gtk.StateFlags.NORMAL, colors[drawn[0] % HUES])
            return GLib.SOURCE_CONTINUE

        def count(clock):
            drawn[0] += 1
        window.add_tick_callback(tick)
        window.connect("realize", lambda w: w.get_frame_clock().connect("after-paint", count))
        window.show_all()

    def on_line(line):
        if line == "frames":
            print(f"frames {drawn[0]} {time.monotonic():.6f}", flush=True)
    serve(APP if args.app else None, build, on_line)


if __name__ == "__main__":
    main()
