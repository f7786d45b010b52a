"""An X session the stress runs can take apart: Xvfb, a private session bus,
a window manager, a compositor and a tray host, each a process of ours that
can be killed and started again; and Quorvel itself, watched from outside
(its log, its resident memory, what the X server holds for it)."""

import json
import os
import shutil
import signal
import subprocess
import tempfile
import time

import functools
import sys

import xlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests",
                                "desktop"))
import desktop  # noqa: E402

# Finer steps than the desktop tests take: the figures are reaction times.
poll = functools.partial(desktop.poll, step=0.02)


class Session:
    """One Xvfb with what runs on it; `close` stops every process it started."""

    def __init__(self, size="1920x1080", monitors=1, tray=True):
        self.work = tempfile.mkdtemp(prefix="quorvel-stress-")
        self.size = tuple(map(int, size.split("x")))
        self.procs = {}
        home = os.path.join(self.work, "home")
        self.env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=f"{home}/.config",
                        XDG_DATA_HOME=f"{home}/.local/share", XDG_CACHE_HOME=f"{home}/.cache",
                        XDG_RUNTIME_DIR=f"{self.work}/runtime", XDG_SESSION_TYPE="x11")
        for key in ("WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "SESSION_MANAGER"):
            self.env.pop(key, None)
        os.makedirs(self.env["XDG_CONFIG_HOME"])
        os.makedirs(self.env["XDG_RUNTIME_DIR"], mode=0o700)
        self._start_server()
        self.x = xlib.X(self.env["DISPLAY"])
        self.x.set_root_colour(0x4A6FA5)  # a wallpaper the veil visibly changes
        self._start_bus()
        self.split(monitors)
        self.tray = tray

    def _spawn(self, name, args, **kw):
        log = open(os.path.join(self.work, f"{name}.log"), "a")
        self.procs[name] = subprocess.Popen(args, stdout=log, stderr=subprocess.STDOUT,
                                            env=self.env, **kw)
        return self.procs[name]

    def _start_server(self):
        r, w = os.pipe()
        self.procs["Xvfb"] = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", "%dx%dx24" % self.size, "-nolisten",
             "tcp", "-noreset", "+extension", "RANDR", "+extension", "GLX"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = f":{number}"

    def _start_bus(self):
        r, w = os.pipe()
        self.procs["dbus"] = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--nopidfile", f"--print-address={w}"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=self.env)
        os.close(w)
        with os.fdopen(r) as f:
            self.env["DBUS_SESSION_BUS_ADDRESS"] = f.readline().strip()

    def split(self, count):
        """The screen as `count` side-by-side monitors (one: the output's own)."""
        width, height = self.size
        names = [m[0] for m in self.x.monitors()]
        output = next((m[5] for m in self.x.monitors() if m[5]), 0)
        for name in names:
            self.x.delete_monitor(name)
        part = width // count
        for i in range(count):
            self.x.set_monitor(f"VIRTUAL-{i + 1}", i * part, 0, part, height,
                               output if i == 0 else 0)
        self.x.sync()

    # The window manager and the compositor.
    def start_openbox(self, replace=False):
        ready = os.path.join(self.work, f"openbox-ready-{time.monotonic_ns()}")
        # WORKAROUND(openbox): a window mapped while openbox still starts is never
        # managed; --startup runs once it handles map requests.
        args = ["openbox", "--sm-disable", "--startup", f"touch {ready}"]
        self._spawn("wm", args + (["--replace"] if replace else []))
        if not poll(lambda: os.path.exists(ready), 20):
            raise RuntimeError("openbox did not start")

    def start_xfwm4(self):
        self._spawn("wm", ["xfwm4", "--compositor=on", "--vblank=off", "--sm-client-disable"])
        if not poll(self.wm_manages, 30, step=0.1):
            raise RuntimeError("xfwm4 does not manage windows")

    def wm_manages(self):
        """Whether a window manager has announced itself (a window that names
        itself in _NET_SUPPORTING_WM_CHECK)."""
        check = self.x.window_property(self.x.root, "_NET_SUPPORTING_WM_CHECK")
        return bool(check) and self.x.window_property(check, "_NET_SUPPORTING_WM_CHECK") == check

    def start_picom(self):
        self._spawn("picom", ["picom", "--backend", "xrender"])
        if not poll(self.compositing, 20):
            raise RuntimeError("picom took no _NET_WM_CM_S0")

    def compositing(self):
        return self.x.selection_owner("_NET_WM_CM_S0") != 0

    def start_tray(self):
        self._spawn("trayer", ["trayer", "--edge", "bottom", "--align", "right", "--widthtype",
                               "request", "--height", "24", "--SetDockType", "true",
                               "--SetPartialStrut", "true", "--transparent", "true", "--alpha",
                               "0", "--tint", "0x303030"])
        if not poll(lambda: self.x.selection_owner("_NET_SYSTEM_TRAY_S0"), 10):
            raise RuntimeError("trayer took no _NET_SYSTEM_TRAY_S0")

    def desktop(self, wm="openbox"):
        """The usual session: the window manager, picom where it has no compositor
        of its own, the tray host."""
        if wm == "openbox":
            self.start_openbox()
            self.start_picom()
        else:
            self.start_xfwm4()
            if not poll(self.compositing, 20):
                raise RuntimeError("xfwm4's compositor took no _NET_WM_CM_S0")
        if self.tray:
            self.start_tray()
        return self

    def xfconf(self, channel, prop, value):
        """Sets an xfconf property (xfconfd is started on the session bus on demand)."""
        return subprocess.run(["xfconf-query", "-c", channel, "-p", prop, "-n", "-t", "bool",
                               "-s", value], env=self.env, capture_output=True,
                              text=True).returncode == 0

    def kill(self, name, sig=signal.SIGKILL):
        p = self.procs.pop(name, None)
        if p and p.poll() is None:
            p.send_signal(sig)
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()

    def close(self, keep=False):
        self.x.close()
        for name in reversed(list(self.procs)):
            self.kill(name, signal.SIGTERM)
        if not keep:
            shutil.rmtree(self.work, ignore_errors=True)


class Quorvel:
    """The program under stress, with its own settings and runtime directories."""

    def __init__(self, session, binary, tag, settings=None, extra_env=None):
        self.session = session
        self.home = os.path.join(session.work, f"quorvel-{tag}")
        config = os.path.join(self.home, "config", "quorvel")
        os.makedirs(config)
        os.makedirs(os.path.join(self.home, "runtime"), mode=0o700)
        with open(os.path.join(config, "com.quorvel.settings.json"), "w") as f:
            json.dump(settings or {"isOverlayEnabled": True, "focusMode": "deep"}, f)
        self.log_path = os.path.join(self.home, "quorvel.log")
        env = dict(session.env, XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                   XDG_RUNTIME_DIR=os.path.join(self.home, "runtime"))
        env.update(extra_env or {})
        self.env = env
        with open(self.log_path, "w") as log:
            self.process = subprocess.Popen([binary], stdout=log, stderr=subprocess.STDOUT, env=env)
        self.pid = self.process.pid

    def output(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def running(self):
        return self.process.poll() is None

    def rss_kib(self):
        with open(f"/proc/{self.pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        return 0

    def cpu_ns(self):
        with open(f"/proc/{self.pid}/schedstat") as f:
            return int(f.read().split()[0])

    def stop(self, limit=10):
        if self.running():
            self.process.send_signal(signal.SIGTERM)
        try:
            return self.process.wait(limit)
        except subprocess.TimeoutExpired:
            self.process.kill()
            return self.process.wait()
