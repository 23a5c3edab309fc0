#!/usr/bin/env python3
"""Start-up benchmark: from `orvadw` started to its main window shown.

Each run starts the program as a person would (a new process, its own
program folder), and times from just before the process is created to the
line the program writes on standard error when the main window is first
painted (ORVADW_REPORT_SHOWN=1). Then the program is asked to end (SIGTERM)
and must end cleanly. Cases:

  first start   an empty program folder: the configuration files are made
  usual start   the folder of an earlier start
  simulator     a usual start with --simulator (the instrument is made too)

on the X display (Xvfb when there is no display: the script restarts itself
under xvfb-run) and on the offscreen platform, which leaves out the X server.

    python3 bench/startup_bench.py                  # 20 runs a case
    python3 bench/startup_bench.py --runs 5 --output FILE
    python3 bench/startup_bench.py --bin build/default/bin --no-build

Builds orvadw (Release, GUI on, tests off, in build/bench-views, which the
view benchmark shares) unless told --no-build. Standard library only.
"""

import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_bench import emit, log, percentile, run_header  # noqa: E402

GOAL_MS = 300.0
SHOWN = "orvadw: main window shown"


def build(build_dir):
    if not os.path.exists(os.path.join(build_dir, "build.ninja")):
        subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release", "-DORVADW_BUILD_BENCH=ON",
                        "-DORVADW_BUILD_TESTS=OFF", "-DORVADW_BUILD_GUI=ON"],
                       check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["nice", "-n", "10", "cmake", "--build", build_dir, "-j2", "--target", "orvadw"],
                   check=True, stdout=subprocess.DEVNULL)


def one_start(program, home, platform, extra):
    """Milliseconds from the process's creation to its main window shown."""
    env = dict(os.environ, ORVADW_HOME=home, ORVADW_REPORT_SHOWN="1", QT_QPA_PLATFORM=platform)
    started = time.monotonic()
    proc = subprocess.Popen([program] + extra, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    shown = None
    try:
        for line in proc.stderr:
            if line.startswith(SHOWN):
                shown = time.monotonic()
                break
        if shown is None:
            raise RuntimeError(f"{program} ended without showing its window")
    finally:
        proc.send_signal(signal.SIGTERM)
        proc.communicate(timeout=30)
    if proc.returncode != 0:
        raise RuntimeError(f"{program} ended with {proc.returncode}")
    return (shown - started) * 1000.0


def run_case(program, platform, case, runs):
    times = []
    kept = tempfile.mkdtemp(prefix="orvadw-start-")
    try:
        if case != "first start":
            one_start(program, kept, platform, [])  # the folder of an earlier start
        for _ in range(runs):
            if case == "first start":
                home = tempfile.mkdtemp(prefix="orvadw-first-")
                try:
                    times.append(one_start(program, home, platform, []))
                finally:
                    shutil.rmtree(home, ignore_errors=True)
            else:
                extra = ["--simulator"] if case == "simulator" else []
                times.append(one_start(program, kept, platform, extra))
    finally:
        shutil.rmtree(kept, ignore_errors=True)
    return times


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--build-dir", default=os.path.join(ROOT, "build", "bench-views"))
    ap.add_argument("--bin", help="folder of an orvadw already built (implies --no-build)")
    ap.add_argument("--no-build", action="store_true")
    ap.add_argument("--runs", type=int, default=20)
    ap.add_argument("--output")
    opts = ap.parse_args()

    if not os.environ.get("DISPLAY"):
        if shutil.which("xvfb-run") is None:
            sys.exit("startup_bench: no display and no xvfb-run (scripts/setup.sh installs it)")
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                               sys.executable] + sys.argv)

    if opts.bin:
        program = os.path.join(opts.bin, "orvadw")
    else:
        if not opts.no_build:
            log("building in", opts.build_dir)
            build(opts.build_dir)
        program = os.path.join(opts.build_dir, "bin", "orvadw")

    load_before = os.getloadavg()
    started = time.strftime("%Y-%m-%d %H:%M:%S")
    rows = []
    for platform in ("xcb", "offscreen"):
        for case in ("first start", "usual start", "simulator"):
            log(platform, case)
            times = run_case(program, platform, case, opts.runs)
            rows.append((platform, case, times))
    load_after = os.getloadavg()

    out = ["# Start-up benchmark: `orvadw` started to its main window shown", ""]
    out += run_header(started, load_before, load_after)
    out += [f"Program: {os.path.relpath(program, ROOT)}; {opts.runs} runs a case.", "",
            "| platform | case | n | median ms | p90 ms | max ms | goal |",
            "|---|---|---|---|---|---|---|"]
    for platform, case, times in rows:
        median = statistics.median(times)
        out.append(f"| {platform} | {case} | {len(times)} | {median:.1f} | "
                   f"{percentile(times, 90):.1f} | {max(times):.1f} | "
                   f"{'met' if median < GOAL_MS else 'MISSED'} (< {GOAL_MS:.0f}) |")
    emit(out, opts.output)


if __name__ == "__main__":
    main()
