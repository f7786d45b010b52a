#!/usr/bin/env python3
"""Panels are always given back: Quorvel hides XFCE's panels (auto-hide on,
focus on), is killed with SIGKILL, starts again and quits; the panels must
end as the user had them. Some rounds kill it before the panels are hidden,
some change a panel by hand while it is hidden (that choice must survive),
some restart the panel settings service (xfconfd) while Quorvel runs.

Runs inside tests/desktop/panels/xfce_session.sh, which starts xfconfd and
xfce4-panel with a top bar (panel-1) and a dock (panel-2) on a private display:
  tests/desktop/panels/xfce_session.sh python3 bench/stress/panel_kills.py --binary B [--rounds N]
"""

import argparse
import os
import random
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "desktop"))
from desktop import Quorvel, poll  # noqa: E402

PANELS = (1, 2)
HIDDEN = "2"


def value(panel):
    done = subprocess.run(["xfconf-query", "-c", "xfce4-panel", "-p",
                           f"/panels/panel-{panel}/autohide-behavior"],
                          capture_output=True, text=True, check=False)
    return done.stdout.strip() or "0"


def set_value(panel, v):
    subprocess.run(["xfconf-query", "-c", "xfce4-panel", "-p",
                    f"/panels/panel-{panel}/autohide-behavior", "-n", "-t", "uint", "-s", v],
                   check=True)


def values():
    return {p: value(p) for p in PANELS}


def hidden():
    return all(v == HIDDEN for v in values().values())


KINDS = ("killed while hidden", "killed at a random moment of its start",
         "a panel set by hand while hidden", "the settings service restarted")


def one_round(app, kind, rng):
    """Plays one round; what the panels must finally show, and what went wrong."""
    user = {p: rng.choice("01") for p in PANELS}
    for p, v in user.items():
        set_value(p, v)
    app.start()
    if kind == 1:
        time.sleep(rng.uniform(0.0, 1.5))
    elif not poll(hidden, 10):
        return user, "the panels were never hidden"
    if kind == 2:
        user[2] = "1" if user[2] == "0" else "0"
        set_value(2, user[2])
    if kind == 3:
        subprocess.run(["pkill", "-x", "xfconfd"], check=False)
    else:
        app.signal(signal.SIGKILL)
        app.wait()
        # The next start gives the panels back and hides them again; a
        # log-out (SIGTERM) may come at any moment of it once the program is
        # loaded (before, it dies untouched, and the start after gives back).
        app.start()
        time.sleep(rng.uniform(0.2, 1.5))
    status = app.stop()
    return user, None if status == 0 else f"Quorvel ended with status {status}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--rounds", type=int, default=100)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    args = parser.parse_args()
    rng = random.Random(args.seed)
    app = Quorvel(args.binary, settings={"isOverlayEnabled": True, "isAutoHideEnabled": True,
                                         "autoHideOption": "both"})
    kills = left_changed = by_hand_lost = 0
    for round_ in range(args.rounds):
        kind = round_ % len(KINDS)
        user, problem = one_round(app, kind, rng)
        kills += kind != 3
        final = values()
        if problem or final != user:
            left_changed += 1
            by_hand_lost += kind == 2 and final[2] != user[2]
            print(f"  round {round_} ({KINDS[kind]}): {problem or ''} panels {final}, "
                  f"the user's {user}; log: {app.log_path}")
            app.stop()
    print(f"Panels given back, XFCE panel with xfconfd, {args.rounds} rounds "
          f"(seed {args.seed}; {kills} SIGKILLs, {args.rounds // len(KINDS)} service restarts):")
    print(f"  rounds leaving a panel changed   {left_changed:4d}   (goal 0)")
    print(f"  choices made by hand overwritten {by_hand_lost:4d}   (goal 0)")
    return 1 if left_changed else 0


if __name__ == "__main__":
    sys.exit(main())
