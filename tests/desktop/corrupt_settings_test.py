"""A corrupt settings file is moved aside, kept for the user, and the program
starts with the defaults."""

import glob
import os
import sys

from desktop import STARTUP_LINES, Quorvel, check

binary = sys.argv[1]
garbage = '{"isOverlayEnabled": tru'
app = Quorvel(binary, settings_text=garbage).start()
check(app.wait_for_lines(STARTUP_LINES), "the program starts despite the corrupt file")
aside = glob.glob(app.settings_path + ".corrupt-*")
check(len(aside) == 1, f"the corrupt file is moved aside ({aside})")
with open(aside[0]) as f:
    check(f.read() == garbage, "with the user's bytes unchanged")
check(any(aside[0] in line for line in app.lines()), "a log line says where the file went")
check(app.stop() == 0, "it quits cleanly")
if os.path.exists(app.settings_path):
    with open(app.settings_path) as f:
        check(f.read() != garbage, "the new settings file is not the corrupt one")
