#!/usr/bin/env python3
"""Live views benchmark: the three figures of the measurement view.

1. The measurement view polling every 500 ms with its chart and a recording
   running, against orvadw-sim paced at 9600 baud: CPU (user + sys) of the
   window thread and of the whole process over the run (the simulator apart).
2. One redraw of the 200-point chart (QPainter into an image, offscreen).
3. One recorded sample: its three records appended in one write, flushed to
   the disk before the next answer is handled.

Builds what it needs (Release, GUI on, tests off, in build/bench-views unless
told otherwise) and prints a Markdown report.

    python3 bench/run_view_bench.py                 # full run (about 2 minutes)
    python3 bench/run_view_bench.py --seconds 10    # a short look
    python3 bench/run_view_bench.py --output FILE   # report into FILE as well

Standard library only.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_bench import log, machine_text  # noqa: E402  (the link benchmark's helpers)


def build(build_dir):
    if not os.path.exists(os.path.join(build_dir, "build.ninja")):
        subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release", "-DORVADW_BUILD_BENCH=ON",
                        "-DORVADW_BUILD_TESTS=OFF", "-DORVADW_BUILD_GUI=ON"],
                       check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["nice", "-n", "10", "cmake", "--build", build_dir, "-j2", "--target",
                    "bench_view_programs"], check=True, stdout=subprocess.DEVNULL)


def figures(text):
    out = {}
    for line in text.splitlines():
        parts = line.split()
        if len(parts) == 2:
            try:
                out[parts[0]] = float(parts[1])
            except ValueError:
                pass
    return out


def run(args, timeout):
    proc = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          timeout=timeout)
    if proc.returncode != 0:
        raise RuntimeError(" ".join(args) + " failed: " + proc.stderr)
    return figures(proc.stdout)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--build-dir", default=os.path.join(ROOT, "build", "bench-views"))
    ap.add_argument("--no-build", action="store_true")
    ap.add_argument("--seconds", type=int, default=60, help="length of the polling run")
    ap.add_argument("--output")
    opts = ap.parse_args()
    if not opts.no_build:
        log("building in", opts.build_dir)
        build(opts.build_dir)
    bench = os.path.join(opts.build_dir, "bin", "bench_views")
    sim_program = os.path.join(opts.build_dir, "bin", "orvadw-sim")

    load_before = os.getloadavg()
    started = time.strftime("%Y-%m-%d %H:%M:%S")
    log("chart redraw")
    chart = run([bench, "chart", "--count", "2000"], 300)

    # The samples go to the disk the build is on, not to a memory file system.
    folder = tempfile.mkdtemp(prefix="append-", dir=opts.build_dir)
    fs = subprocess.run(["stat", "-f", "-c", "%T", folder], capture_output=True, text=True).stdout.strip()
    log("sample append on", fs)
    append = run([bench, "append", "--folder", folder, "--count", "1000"], 600)

    log(f"measurement view polling for {opts.seconds} s")
    sim_folder = tempfile.mkdtemp(prefix="orvadw-bench-")
    link = os.path.join(sim_folder, "ttyORVADW")
    sim = subprocess.Popen([sim_program, "--link", link, "--baud", "9600"], stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, text=True)
    try:
        if not sim.stdout.readline():
            raise RuntimeError("orvadw-sim did not start")
        poll = run([bench, "poll", "--port", link, "--folder", folder, "--seconds", str(opts.seconds)],
                   opts.seconds + 120)
    finally:
        sim.send_signal(signal.SIGTERM)
        sim.communicate(timeout=10)
        shutil.rmtree(sim_folder, ignore_errors=True)
        shutil.rmtree(folder, ignore_errors=True)
    load_after = os.getloadavg()

    out = [f"Run {started}; machine: {machine_text()}; samples written to a {fs} file system.",
           f"Load average (1, 5, 15 min) before: {', '.join(f'{x:.2f}' for x in load_before)}; "
           f"after: {', '.join(f'{x:.2f}' for x in load_after)}.", "",
           "| figure | n | median | p99 | max | target |", "|---|---|---|---|---|---|"]
    for size in ("420x160", "1200x400"):
        for kind, label in (("", "wall"), ("_cpu", "thread CPU")):
            prefix = "chart_" + size + kind + "_"
            c = {k[len(prefix):]: v for k, v in chart.items() if k.startswith(prefix)}
            out.append(f"| chart redraw, 200 points, {size} px, {label} | {c['n']:.0f} "
                       f"| {c['median_us'] / 1000:.3f} ms | {c['p99_us'] / 1000:.3f} ms "
                       f"| {c['max_us'] / 1000:.3f} ms | under 2 ms |")
    out.append(f"| one sample appended (3 records in one write, flushed) | {append['append_n']:.0f} "
               f"| {append['append_median_us'] / 1000:.3f} ms | {append['append_p99_us'] / 1000:.3f} ms "
               f"| {append['append_max_us'] / 1000:.3f} ms | under 10 ms |")
    out.append("")
    out.append(f"Measurement view, 500 ms polls at 9600 baud, chart and recording (1 s period) on, "
               f"{poll['poll_wall_s']:.0f} s: window thread {poll['poll_window_thread_cpu_s']:.3f} s of CPU "
               f"= **{poll['poll_window_thread_percent']:.2f} %** of one core (target: under 2 %); whole "
               f"process (window, poll and reader threads) {poll['poll_process_cpu_s']:.3f} s = "
               f"{poll['poll_process_percent']:.2f} %; {poll['poll_samples']:.0f} samples recorded, "
               f"{poll['poll_messages']:.0f} message boxes.")
    text = "\n".join(out) + "\n"
    sys.stdout.write(text)
    if opts.output:
        with open(opts.output, "w") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
