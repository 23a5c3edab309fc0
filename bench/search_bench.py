#!/usr/bin/env python3
"""Search benchmark: how long `orvadw-cli search` takes to find an instrument,
and to give up when there is none, with the default answer time-out of
1000 ms.

The port map has three ports: a device that does not exist, an orvadw-sim
that never answers (--drop 1) and an orvadw-sim that hears only 1200 baud
(--baud 1200 --jbus 17). Each case runs the search as built (ports side by
side, a silent speed asked once) and as the original one-by-one search
(--one-by-one: one port after the other, every try asked three times).
Last, how soon a search ends once cancelled (SIGINT, as Ctrl-C; the windows'
Cancel button calls the same cancel).

    python3 bench/search_bench.py                 # report on stdout
    python3 bench/search_bench.py --output FILE   # and into FILE
    python3 bench/search_bench.py --runs 1        # one run a case (default 3)

Builds orvadw-cli and orvadw-sim (Release, in build/bench) unless told
--no-build. Standard library only.
"""

import argparse
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

import run_bench
from run_bench import Simulator, emit, log, run_header

# name, the port map as (COM number, role), what the search must print
CASES = [
    ("found, silent port below it", [(1, "missing"), (2, "silent"), (3, "instrument")], "port: 3"),
    ("found, silent port above it", [(1, "missing"), (2, "instrument"), (3, "silent")], "port: 2"),
    ("nothing found", [(1, "missing"), (2, "silent")], None),
]


def build(build_dir):
    if not os.path.exists(os.path.join(build_dir, "build.ninja")):
        subprocess.run(["cmake", "-S", run_bench.ROOT, "-B", build_dir, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release", "-DORVADW_BUILD_BENCH=ON",
                        "-DORVADW_BUILD_TESTS=OFF", "-DORVADW_BUILD_GUI=OFF"],
                       check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2", "--target", "orvadw-cli", "orvadw-sim"],
                   check=True, stdout=subprocess.DEVNULL)


def run_search(cli, config, one_by_one):
    args = [cli, "--config", config, "--timeout", "1000", "search"]
    if one_by_one:
        args.append("--one-by-one")
    start = time.monotonic()
    proc = subprocess.run(args, capture_output=True, text=True, timeout=600)
    took = time.monotonic() - start
    return took, proc.returncode, proc.stdout


def cancel_latency(cli, config):
    """Seconds from SIGINT to the end of a search that was still trying."""
    proc = subprocess.Popen([cli, "--config", config, "--timeout", "1000", "search"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    time.sleep(1.5)  # well inside the first silent tries
    asked = time.monotonic()
    proc.send_signal(signal.SIGINT)
    proc.communicate(timeout=30)
    took = time.monotonic() - asked
    if proc.returncode != 130:
        raise RuntimeError(f"cancelled search exited {proc.returncode}")
    return took


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--build-dir", default=os.path.join(run_bench.ROOT, "build", "bench"))
    ap.add_argument("--no-build", action="store_true", help="use the programs as they are")
    ap.add_argument("--runs", type=int, default=3, help="runs of the side-by-side search a case")
    ap.add_argument("--output", help="write the report to this file too")
    opts = ap.parse_args()

    if not opts.no_build:
        log("building in", opts.build_dir)
        build(opts.build_dir)
    bin_dir = os.path.join(opts.build_dir, "bin")
    cli = os.path.join(bin_dir, "orvadw-cli")

    load_before = os.getloadavg()
    started = time.strftime("%Y-%m-%d %H:%M:%S")
    rows = []
    folder = tempfile.mkdtemp(prefix="orvadw-search-bench-")
    for name, ports, expected in CASES:
        sims = {}
        try:
            lines = ["[Ports]"]
            for com, role in ports:
                if role == "missing":
                    device = os.path.join(folder, "no-such-tty")
                else:
                    extra = ["--drop", "1"] if role == "silent" else ["--jbus", "17"]
                    sims[role] = Simulator(bin_dir, 1200 if role == "instrument" else None, extra)
                    device = sims[role].link
                lines.append(f"COM{com}={device}")
            config = os.path.join(folder, "ports.cfg")
            with open(config, "w") as f:
                f.write("\n".join(lines) + "\n")
            for mode, runs in (("side by side", opts.runs), ("one by one", 1)):
                times = []
                for _ in range(runs):
                    log(f"{name}: {mode}")
                    took, status, out = run_search(cli, config, mode == "one by one")
                    ok = (status == 0 and expected in out.splitlines()) if expected else status == 1
                    if not ok:
                        raise RuntimeError(f"{name} ({mode}): exit {status}, output {out!r}")
                    times.append(took)
                rows.append((name, mode, runs, statistics.median(times), min(times), max(times)))
        finally:
            for sim in sims.values():
                sim.stop()
    # Cancel: two silent instruments, stopped while both are being asked.
    cancels = []
    sims = {}
    try:
        sims = {role: Simulator(bin_dir, None, ["--drop", "1"]) for role in ("a", "b")}
        config = os.path.join(folder, "cancel.cfg")
        with open(config, "w") as f:
            f.write(f"[Ports]\nCOM1={sims['a'].link}\nCOM2={sims['b'].link}\n")
        for _ in range(5):
            log("cancel")
            cancels.append(cancel_latency(cli, config))
    finally:
        for sim in sims.values():
            sim.stop()
    load_after = os.getloadavg()

    out = run_header(started, load_before, load_after)
    out += ["", "| case | search | runs | median s | min s | max s |", "|---|---|---|---|---|---|"]
    for name, mode, runs, median, low, high in rows:
        out.append(f"| {name} | {mode} | {runs} | {median:.2f} | {low:.2f} | {high:.2f} |")
    out += ["", "| cancel (SIGINT to exit, two silent ports) | runs | median ms | max ms |",
            "|---|---|---|---|",
            f"| side by side | {len(cancels)} | {statistics.median(cancels) * 1000:.1f} "
            f"| {max(cancels) * 1000:.1f} |"]
    emit(out, opts.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
