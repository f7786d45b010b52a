#!/usr/bin/env python3
"""Quorvel under stress on Xvfb, judged from outside as the user sees it:
root screenshots, the X stacking, what the X server holds for the program,
its resident memory and exit status. Prints one figure per goal and exits 1
when any goal fails.

    bench/stress/x_session.py --build DIR [--asan-build DIR] [--quick] [--only SECTIONS]

DIR holds a build (src/quorvel, bench/quorvel_bench); the sanitizer build
(default: the repository's build-asan/, `cmake --preset asan`) runs the
storms a second time. --quick is the short run for CI (1,500 switches instead
of 10,000). SECTIONS is a comma-separated subset of memory, storms, asan,
recovery, bench. Screenshots go to DIR/stress/screenshots/."""

import argparse
import os
import shutil
import sys
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # no __pycache__ in the source tree

import bench  # noqa: E402
import recovery  # noqa: E402
import storms  # noqa: E402
import switches  # noqa: E402

SECTIONS = ("memory", "storms", "asan", "recovery", "bench")


class Report:
    def __init__(self):
        self.rows = []

    def figure(self, section, name, value, goal, ok, detail=None):
        self.rows.append((section, name, value, goal, ok))
        mark = "ok  " if ok else "FAIL"
        print(f"{mark} [{section}] {name}: {value} (goal {goal})", flush=True)
        if detail and not ok:
            print("     " + str(detail).replace("\n", "\n     "), flush=True)

    def failed(self):
        return [r for r in self.rows if not r[4]]

    def summary(self, seconds):
        print("\nFigures:")
        for section, name, value, goal, ok in self.rows:
            print(f"  {'ok  ' if ok else 'FAIL'} {section} | {name} | {value} | goal {goal}")
        failed = self.failed()
        print(f"\n{len(self.rows) - len(failed)} of {len(self.rows)} goals met in "
              f"{seconds / 60:.1f} min" + (f"; {len(failed)} FAILED" if failed else ""))


def guarded(report, section, work, *args):
    """A section that breaks (a session that cannot start, a bug here) is a
    failed goal, and the others still run."""
    started = time.monotonic()
    try:
        work(report, *args)
    except Exception as e:  # noqa: BLE001
        traceback.print_exc()
        report.figure(section, "ran to the end", f"no: {e}", "yes", False)
    print(f"     ({section}: {time.monotonic() - started:.0f} s)\n", flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--asan-build", default=os.path.join(HERE, "..", "..", "build-asan"))
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--only", default=",".join(SECTIONS))
    args = parser.parse_args()
    wanted = args.only.split(",")
    binary = os.path.abspath(os.path.join(args.build, "src", "quorvel"))
    asan = os.path.abspath(os.path.join(args.asan_build, "src", "quorvel"))
    shots = os.path.join(os.path.abspath(args.build), "stress", "screenshots")
    shutil.rmtree(shots, ignore_errors=True)
    os.makedirs(shots)
    switch_count = 1500 if args.quick else 10000
    report = Report()
    start = time.monotonic()
    if not os.access(binary, os.X_OK):
        report.figure("setup", "program built", f"no {binary}", "present", False)
    else:
        print(f"Quorvel: {binary}\nscreenshots: {shots}\n", flush=True)
        if "memory" in wanted:
            guarded(report, "memory", switches.startup_memory, binary, shots)
        if "storms" in wanted:
            guarded(report, "switch storm", switches.switch_storm, binary, "normal", shots,
                    switch_count)
            guarded(report, "storms", storms.storms, binary, "normal", shots)
        if "asan" in wanted:
            if os.access(asan, os.X_OK):
                guarded(report, "switch storm (asan)", switches.switch_storm, asan, "asan",
                        shots, switch_count, False)
                guarded(report, "storms (asan)", storms.storms, asan, "asan", shots)
            else:
                report.figure("storms (asan)", "sanitizer build present", f"no {asan}",
                              "present (cmake --preset asan && cmake --build build-asan "
                              "--target quorvel)", False)
        if "recovery" in wanted:
            guarded(report, "openbox, picom", recovery.openbox_picom, binary, shots)
            guarded(report, "xfwm4, X server", recovery.xfwm4_and_server, binary, shots)
        if "bench" in wanted:
            guarded(report, "window list", bench.window_list, args.build, args.quick)
            guarded(report, "window list", storms.tick_cost, binary, args.quick)
    report.summary(time.monotonic() - start)
    return 1 if report.failed() else 0


if __name__ == "__main__":
    sys.exit(main())
