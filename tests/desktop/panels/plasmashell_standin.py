#!/usr/bin/python3
"""Stands in for plasmashell on the session bus: org.kde.PlasmaShell's
evaluateScript runs the script (in gjs) against the panels kept in STATE_FILE,
a JSON list of {"id", "location", "hiding"}, with Plasma's `panels()` and
`print()`, and saves what the script set.

    plasmashell_standin.py STATE_FILE
"""
import subprocess
import sys
import tempfile

from gi.repository import Gio, GLib

XML = """<node><interface name="org.kde.PlasmaShell">
  <method name="evaluateScript"><arg type="s" direction="in"/><arg type="s" direction="out"/></method>
</interface></node>"""

# Plasma's scripting names, in gjs; the script runs between the two halves.
BEFORE = """const GLib = imports.gi.GLib;
const [statePath, outPath] = ARGV;
const state = JSON.parse(new TextDecoder().decode(GLib.file_get_contents(statePath)[1]));
const printed = [];
function print(text) { printed.push(String(text)); }
function panels() { return state; }
"""
AFTER = """
GLib.file_set_contents(statePath, JSON.stringify(state));
GLib.file_set_contents(outPath, printed.join("\\n"));
"""


def evaluate(script):
    with tempfile.NamedTemporaryFile(suffix=".out") as out:
        subprocess.run(["gjs", "-c", BEFORE + script + AFTER, sys.argv[1], out.name],
                       check=True, timeout=10)
        return open(out.name).read()


def call(_connection, _sender, _path, _interface, method, parameters, invocation):
    try:
        invocation.return_value(GLib.Variant("(s)", (evaluate(parameters.unpack()[0]),)))
    except subprocess.CalledProcessError as e:
        invocation.return_dbus_error("org.kde.PlasmaShell.Error", str(e))


def acquired(connection, _name):
    info = Gio.DBusNodeInfo.new_for_xml(XML).interfaces[0]
    connection.register_object("/PlasmaShell", info, call, None, None)


Gio.bus_own_name(Gio.BusType.SESSION, "org.kde.plasmashell", Gio.BusNameOwnerFlags.NONE,
                 acquired, None, lambda *_: sys.exit(1))
GLib.MainLoop().run()
