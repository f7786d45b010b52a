"""The window-list sample with 40 and with 500 managed windows, from the
benchmark binary on a session of its own: its cost should grow at most in
proportion to the windows."""

import json
import os
import subprocess

from session import Session

SECTION = "window list"


def sample_us(program, session, windows, repetitions):
    out = subprocess.run(
        [program, f"--windows={windows}", "--benchmark_filter=MirroredSample",
         f"--benchmark_repetitions={repetitions}", "--benchmark_report_aggregates_only=true",
         "--benchmark_format=json"], env=session.env, capture_output=True, text=True, timeout=300)
    rows = json.loads(out.stdout)["benchmarks"]
    median = next(r for r in rows if r.get("aggregate_name") == "median")
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[median["time_unit"]]
    return median["real_time"] * scale, int(median.get("windows", 0))


def window_list(report, build, quick):
    program = os.path.join(os.path.abspath(build), "bench", "quorvel_bench")
    if not os.access(program, os.X_OK):
        report.figure(SECTION, "benchmark built", f"no {program}", "present", False)
        return
    repetitions = 3 if quick else 9
    times = {}
    for windows in (40, 500):
        s = Session(size="1280x800", tray=False)
        try:
            s.start_openbox()
            times[windows] = sample_us(program, s, windows, repetitions)
        finally:
            s.close()
    (t40, n40), (t500, n500) = times[40], times[500]
    ratio = t500 / t40
    linear = n500 / max(n40, 1)
    report.figure(SECTION, f"one window-list sample (median of {repetitions}), "
                           f"{n40} → {n500} windows listed",
                  f"{t40:.1f} µs → {t500:.1f} µs, ratio {ratio:.1f}",
                  f"ratio ≤ {linear:.1f} (linear)", ratio <= linear)
