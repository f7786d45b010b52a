"""A StatusNotifier watcher and host, as Plasma's panel is one: programs
register their tray icons with it, and it clicks them as a user clicking
the icon in the panel would. Served from a thread of its own, so a program
asking it something never waits on the test."""
import os
import threading

from desktop_common import call, new_connection
from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
INTERFACE = f"""<node><interface name="{WATCHER}">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
</interface></node>"""


class StatusNotifierHost:
    def __init__(self):
        self.items = []  # (bus name, object path)
        self._lock = threading.Lock()
        ready = threading.Event()
        threading.Thread(target=self._serve, args=(ready,), daemon=True).start()
        if not ready.wait(10):
            raise TimeoutError("the StatusNotifier watcher did not start")

    def _serve(self, ready):
        context = GLib.MainContext()
        context.push_thread_default()
        self.bus = new_connection()
        info = Gio.DBusNodeInfo.new_for_xml(INTERFACE).interfaces[0]
        self.bus.register_object("/StatusNotifierWatcher", info, self._method, self._property, None)
        for name in (WATCHER, f"org.kde.StatusNotifierHost-{os.getpid()}"):
            call(self.bus, "RequestName", "su", (name, 4), dest="org.freedesktop.DBus",
                 path="/org/freedesktop/DBus", iface="org.freedesktop.DBus")
        self.bus.emit_signal(None, "/StatusNotifierWatcher", WATCHER, "StatusNotifierHostRegistered", None)
        ready.set()
        loop = GLib.MainLoop(context)
        loop.run()

    def _method(self, bus, sender, path, interface, method, params, invocation):
        if method == "RegisterStatusNotifierItem":
            service = params.unpack()[0]
            # An item names its bus name, or only its path on the caller's.
            item = (sender, service) if service.startswith("/") else (service, "/StatusNotifierItem")
            with self._lock:
                self.items.append(item)
            bus.emit_signal(None, "/StatusNotifierWatcher", WATCHER, "StatusNotifierItemRegistered",
                            GLib.Variant("(s)", (service,)))
        invocation.return_value(None)

    def _property(self, bus, sender, path, interface, name):
        with self._lock:
            names = [f"{service}{path}" for service, path in self.items]
        return {"RegisteredStatusNotifierItems": GLib.Variant("as", names),
                "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
                "ProtocolVersion": GLib.Variant("i", 0)}[name]

    def item(self):
        """The last item registered, or None."""
        with self._lock:
            return self.items[-1] if self.items else None

    def click(self, item, button=1):
        """Left: Activate; middle: SecondaryActivate; right: ContextMenu."""
        method = {1: "Activate", 2: "SecondaryActivate", 3: "ContextMenu"}[button]
        call(self.bus, method, "ii", (100, 10), dest=item[0], path=item[1], iface=ITEM, timeout=5000)
