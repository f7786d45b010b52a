"""A setting written through the preference store survives the writer being
SIGKILLed once it is on disk: the file is valid JSON with the new value and keeps
the values that were there. The writer is a test helper linking the same
store the program uses; this proves the store's atomic write, not anything
about the program's own menus."""

import json
import os
import signal
import subprocess
import sys

from desktop import Quorvel, check, poll

writer = sys.argv[1]
path = Quorvel(writer, settings={"focusMode": "deep", "opacityValue": 0.7}).settings_path


def stored():  # the store replaces the file whole, never in part
    with open(path) as f:
        return json.load(f)


for attempt in range(3):
    value = attempt % 2 == 0
    p = subprocess.Popen([writer, path, "isSingleMode", "true" if value else "false"],
                         stdout=subprocess.PIPE, text=True)
    check(p.stdout.readline().strip() == "written", f"round {attempt}: the helper wrote the value")
    # How soon the write comes is the unit tests' to judge, in virtual time; a
    # fixed wait here failed on a busy machine.
    check(poll(lambda: stored().get("isSingleMode") is value),
          f"round {attempt}: the new value reaches the disk")
    p.send_signal(signal.SIGKILL)
    p.wait()
    check(stored().get("isSingleMode") is value, f"round {attempt}: and stays there")
    check(stored().get("focusMode") == "deep" and stored().get("opacityValue") == 0.7,
          f"round {attempt}: the other values are kept")
    check(not [n for n in os.listdir(os.path.dirname(path)) if n != os.path.basename(path)],
          f"round {attempt}: no temporary file is left behind")
