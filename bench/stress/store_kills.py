#!/usr/bin/env python3
"""Kills a program that changes settings as fast as it can, at random moments,
and judges what each kill left on disk: the settings file must parse, keep
every key it had, and hold for each key a value no older than before the run
(the writer's values carry a counter that only grows). Half of the rounds run
with a slowed fsync, so that kills also land between a temporary file's
creation and its rename; the next start must remove what they leave.

  bench/stress/store_kills.py --build DIR [--rounds N] [--seed S]
"""

import argparse
import base64
import json
import os
import random
import signal
import subprocess
import sys
import tempfile
import time

KEYS = ("integer", "double", "string", "data", "dictionary")


def counter(key, value):
    """The counter a stored value carries; None when it is not one the writer writes."""
    try:
        if key == "integer" and type(value) is int:
            return value
        if key == "double" and type(value) is float and value % 1 == 0.25:
            return int(value)
        if key == "string" and value.startswith("v"):
            return int(value[1:])
        if key == "data" and list(value) == ["$data"]:
            return int(base64.b64decode(value["$data"], validate=True))
        if key == "dictionary" and list(value) == ["n"] and type(value["n"]) is int:
            return value["n"]
    except (AttributeError, TypeError, ValueError):
        pass
    return None


def read_counters(path):
    """Each key's counter, or the reason the file is not a good one."""
    try:
        with open(path, "rb") as f:
            doc = json.loads(f.read())
    except FileNotFoundError:
        return {}, None
    except ValueError as e:
        return None, f"does not parse ({e})"
    if not isinstance(doc, dict):
        return None, "is not an object"
    counters = {}
    for key, value in doc.items():
        n = counter(key, value)
        if n is None:
            return None, f"holds a value the writer never wrote: {key}={value!r}"
        counters[key] = n
    return counters, None


def temporaries(directory, name, but_pid=None):
    prefix = name + ".tmp-"
    return [n for n in os.listdir(directory)
            if n.startswith(prefix) and n != f"{prefix}{but_pid}"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--rounds", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    args = parser.parse_args()
    churn = os.path.join(args.build, "bench", "stress", "store", "quorvel_store_churn")
    slow = os.path.join(args.build, "bench", "stress", "store", "libquorvel_slow_fsync.so")
    rng = random.Random(args.seed)
    home = tempfile.mkdtemp(prefix="quorvel-store-kills-")
    path = os.path.join(home, "quorvel", "com.quorvel.settings.json")
    os.makedirs(os.path.dirname(path))
    name = os.path.basename(path)

    faults = {"corrupt": 0, "lost": 0, "older": 0, "stale": 0, "aside": 0}
    temporaries_seen = writes_seen = 0
    before, _ = read_counters(path)
    for round_ in range(args.rounds):
        env = dict(os.environ)
        if round_ % 2:
            env["LD_PRELOAD"] = slow
        p = subprocess.Popen([churn, path, str(rng.randrange(1 << 30))], env=env,
                             stdout=subprocess.PIPE, text=True)
        # The store's own log lines (a removed temporary file) come first.
        line = "-"
        while line and line.strip() != "ready":
            line = p.stdout.readline()
        if not line:
            p.kill()
            sys.exit(f"store-kills: the writer did not start (round {round_})")
        if temporaries(os.path.dirname(path), name, but_pid=p.pid):
            faults["stale"] += 1
        time.sleep(rng.uniform(0.0, 0.35))
        p.send_signal(signal.SIGKILL)
        p.wait()
        p.stdout.close()
        temporaries_seen += bool(temporaries(os.path.dirname(path), name))
        after, problem = read_counters(path)
        if problem:
            faults["corrupt"] += 1
            print(f"  round {round_}: the file {problem}")
            continue
        writes_seen += after != before
        faults["lost"] += len(set(before) - set(after))
        faults["older"] += sum(1 for k in after if after[k] < before.get(k, 0))
        before = after
    faults["aside"] = sum(1 for n in os.listdir(os.path.dirname(path)) if ".corrupt-" in n)

    print(f"Settings store killed with SIGKILL {args.rounds} times (seed {args.seed}; "
          f"{writes_seen} rounds changed the file, {temporaries_seen} left a temporary file):")
    print(f"  corrupt files           {faults['corrupt']:6d}   (goal 0)")
    print(f"  keys lost               {faults['lost']:6d}   (goal 0)")
    print(f"  values older than before{faults['older']:6d}   (goal 0)")
    print(f"  files moved aside       {faults['aside']:6d}   (goal 0)")
    print(f"  temporary files left after the next start {faults['stale']:3d}   (goal 0)")
    subprocess.run(["rm", "-rf", home], check=False)
    return 1 if any(faults.values()) else 0


if __name__ == "__main__":
    sys.exit(main())
