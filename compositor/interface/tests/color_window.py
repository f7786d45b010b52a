#!/usr/bin/python3
"""A window of one solid colour with a band of 4 px black and white stripes
across its middle, which a blur turns grey: a test client for the shell
extension's tests.

    color_window.py --title T --color #rrggbb [--x X --y Y] --width W --height H [--text] [--above]
                    [--desktop] [--resizable] [--app ID]

Undecorated, so the window's frame is the coloured area. --x/--y only count on
X11 (GDK_BACKEND=x11): a Wayland client cannot place itself, mutter does.
Prints "ready" once the window is mapped; ends on "quit" or the end of stdin;
"fullscreen" and "unfullscreen" ask for and leave fullscreen, as a player's
F11 does (a window of a fixed size is kept at that size: --resizable);
"dialog" opens a modal dialog of the window's, "close dialog" closes it;
"redraw" draws the windows again, as a live application does now and then.
"""
import argparse
import random
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GLib  # noqa: E402

# Before GTK starts: the name becomes the X11 class. With --app the window
# belongs to an application of that id (a GtkApplication: the Wayland app id
# and the X11 _GTK_APPLICATION_ID), which the compositors match with the
# desktop entry of that name.
APP = sys.argv[sys.argv.index("--app") + 1] if "--app" in sys.argv else "quorvel-color-window"
GLib.set_prgname(APP)
from gi.repository import Gdk, GdkPixbuf, Gio, Gtk  # noqa: E402

# What "dialog" on stdin opens.
DIALOG = {"color": "#e0c020", "size": (220, 140)}
STRIPE = 4
BAND = 48
# --text: marks from this far inside the edges, in lines this tall.
TEXT_MARGIN = 60
TEXT_LINE = 14


# A pixbuf rather than cairo drawing: PyGObject's cairo glue is a package of its
# own, and a picture is all this window shows.
def picture(color, width, height, text):
    rgb = bytes(round(c * 255) for c in (color.red, color.green, color.blue))
    plain = rgb * width
    striped = b"".join((b"\xff\xff\xff" if (x // STRIPE) % 2 else b"\0\0\0") for x in range(width))
    top = (height - BAND) // 2
    rows = [striped if top <= y < top + BAND else plain for y in range(height)]
    if text:
        # Lines of dark 1-3 px marks, seeded so that every run is alike:
        # fine detail like text's everywhere, a blur flattens it.
        rng = random.Random(width * 7919 + height)
        for y in range(TEXT_MARGIN, height - TEXT_MARGIN):
            if (y - TEXT_MARGIN) % TEXT_LINE >= TEXT_LINE - 4 or top - 8 <= y < top + BAND + 8:
                continue
            row = bytearray(plain)
            for x in range(TEXT_MARGIN, width - TEXT_MARGIN):
                if rng.random() < 0.35:
                    row[3 * x:3 * x + 3] = b"\x10\x10\x10"
            rows[y] = bytes(row)
    return GdkPixbuf.Pixbuf.new_from_bytes(GLib.Bytes.new(b"".join(rows)), GdkPixbuf.Colorspace.RGB,
                                           False, 8, width, height, width * 3)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--title", required=True)
    parser.add_argument("--color", required=True)
    parser.add_argument("--x", type=int)
    parser.add_argument("--y", type=int)
    parser.add_argument("--width", type=int, required=True)
    parser.add_argument("--height", type=int, required=True)
    parser.add_argument("--text", action="store_true", help="text-like marks across the window")
    parser.add_argument("--above", action="store_true", help="kept above other windows (X11)")
    parser.add_argument("--desktop", action="store_true", help="the desktop's window, below every other (X11)")
    parser.add_argument("--resizable", action="store_true")
    parser.add_argument("--app", help="the app id (a desktop entry of that name)")
    args = parser.parse_args()

    color = Gdk.RGBA()
    if not color.parse(args.color):
        parser.error(f"not a colour: {args.color}")

    Gdk.set_program_class(APP)
    # Fullscreen, the window shows its colour around the picture as well.
    css = Gtk.CssProvider()
    css.load_from_data(f"window {{ background: {args.color}; }}".encode())
    Gtk.StyleContext.add_provider_for_screen(Gdk.Screen.get_default(), css, Gtk.STYLE_PROVIDER_PRIORITY_APPLICATION)
    windows = []

    def command(line):
        if line in ("fullscreen", "unfullscreen"):
            windows[0].fullscreen() if line == "fullscreen" else windows[0].unfullscreen()
        elif line == "dialog":
            windows.append(dialog(windows[0], args.title + " Dialog"))
        elif line == "close dialog" and len(windows) > 1:
            windows.pop().destroy()
        elif line == "redraw":
            for window in windows:
                window.queue_draw()

    def build(application=None):
        window = plain_window(application, args.title, args.width, args.height)
        window.set_keep_above(args.above)
        window.set_resizable(args.resizable)
        if args.desktop:
            window.set_type_hint(Gdk.WindowTypeHint.DESKTOP)
        if args.x is not None and args.y is not None:
            window.move(args.x, args.y)
        window.add(Gtk.Image.new_from_pixbuf(picture(color, args.width, args.height, args.text)))
        window.show_all()
        windows.append(window)

    serve(APP if args.app else None, build, command)


def dialog(parent, title):
    """A modal dialog of `parent`'s, of DIALOG's colour and size, where the
    window manager puts a dialog."""
    window = Gtk.Window(title=title, transient_for=parent, modal=True)
    window.set_type_hint(Gdk.WindowTypeHint.DIALOG)
    window.set_decorated(False)
    window.set_default_size(*DIALOG["size"])
    window.set_resizable(False)
    color = Gdk.RGBA()
    color.parse(DIALOG["color"])
    window.add(Gtk.Image.new_from_pixbuf(picture(color, *DIALOG["size"], False)))
    window.show_all()
    return window


def plain_window(application, title, width, height):
    """An undecorated window of that size (its frame is what it shows) that
    says "ready" once mapped and ends the program when closed."""
    window = Gtk.ApplicationWindow(application=application, title=title) if application \
        else Gtk.Window(title=title)
    window.set_decorated(False)
    window.set_default_size(width, height)
    window.set_resizable(False)
    window.connect("map-event", lambda *_: print("ready", flush=True))
    window.connect("destroy", lambda *_: application.quit() if application else Gtk.main_quit())
    return window


def serve(app_id, build, on_line=lambda line: None):
    """Runs `build(application)` in an application of `app_id` (None: no
    application) until "quit" or the end of stdin; every other line goes to
    `on_line`."""
    application = Gtk.Application(application_id=app_id, flags=Gio.ApplicationFlags.NON_UNIQUE) \
        if app_id else None

    def quit():
        if application:
            application.quit()
        else:
            Gtk.main_quit()

    def command(channel, condition):
        line = sys.stdin.readline()
        if not line or line.strip() == "quit":
            quit()
            return False
        on_line(line.strip())
        return True

    GLib.io_add_watch(GLib.IOChannel.unix_new(sys.stdin.fileno()), GLib.PRIORITY_DEFAULT,
                      GLib.IOCondition.IN | GLib.IOCondition.HUP, command)
    if application:
        application.connect("activate", build)
        application.run([])
    else:
        build()
        Gtk.main()


if __name__ == "__main__":
    main()
