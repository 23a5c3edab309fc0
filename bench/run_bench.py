#!/usr/bin/env python3
"""Link benchmark: orvadw's JBusMaster (through `orvadw-cli bench`) against
libmodbus (bench/modbus_peer) on the same simulated instrument, over a
pseudo-terminal, unpaced and paced at 9600 and 115200 baud.

Builds what it needs (Release, in build/bench unless told otherwise), starts
one orvadw-sim per configuration, runs both clients with the same count, and
prints a Markdown report: per configuration and operation the median and p99
wall time of one transaction, the client's CPU time (user + sys) per
transaction, and the theoretical wire time at 10 bits a byte.

    python3 bench/run_bench.py                 # full run, report on stdout
    python3 bench/run_bench.py --quick         # small counts, to try it out
    python3 bench/run_bench.py --output FILE   # report into FILE as well

Standard library only.
"""

import argparse
import math
import os
import platform
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

READ_BYTES = 8 + 53    # request + answer of a 24-register read
WRITE_BYTES = 9 + 100 + 8  # request + echo of a 50-register write

# name, simulator baud (None: unpaced), orvadw baud index, libmodbus baud
# (None: orvadw alone), counts {op: n}, note
CONFIGS = [
    ("unpaced", None, 7, 115200, {"read": 2000, "write": 2000}, ""),
    ("9600", 9600, 5, 9600, {"read": 200, "write": 200}, ""),
    ("115200", 115200, 7, 115200, {"read": 1000, "write": 1000}, ""),
    ("115200 Bluetooth", 115200, 6, None, {"read": 200, "write": 20},
     "baud index 6 pauses 3 ms after each request byte of a read and 20 ms in a write, by design"),
]


def log(*args):
    print(*args, file=sys.stderr, flush=True)


def build(build_dir):
    if not os.path.exists(os.path.join(build_dir, "build.ninja")):
        subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release", "-DORVADW_BUILD_BENCH=ON",
                        "-DORVADW_BUILD_TESTS=OFF", "-DORVADW_BUILD_GUI=OFF"],
                       check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2", "--target", "bench_programs"],
                   check=True, stdout=subprocess.DEVNULL)


class Simulator:
    """orvadw-sim with a link in a temporary folder; SIGTERM at the end."""

    def __init__(self, bin_dir, baud, extra=()):
        self.folder = tempfile.mkdtemp(prefix="orvadw-bench-")
        self.link = os.path.join(self.folder, "ttyORVADW")
        args = [os.path.join(bin_dir, "orvadw-sim"), "--link", self.link]
        if baud:
            args += ["--baud", str(baud)]
        args += list(extra)
        self.proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline()  # the pty path, once it serves
        if not line:
            raise RuntimeError("orvadw-sim did not start: " + self.proc.stderr.read())

    def stop(self):
        counts = {}
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
        try:
            _, err = self.proc.communicate(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            _, err = self.proc.communicate()
        for line in err.splitlines():
            m = re.match(r"(\w+): (\d+)$", line)
            if m:
                counts[m.group(1)] = int(m.group(2))
        shutil.rmtree(self.folder, ignore_errors=True)
        return counts


def parse_run(text, n, op):
    """TX, DATA and LOOP lines -> (wall ns of each transaction, failures, loop)."""
    walls, failures, loop, data = [], 0, None, 0
    for line in text.splitlines():
        f = line.split()
        if not f:
            continue
        if f[0] == "TX":
            walls.append(int(f[3]))
            failures += 0 if f[2] == "1" else 1
        elif f[0] == "DATA":
            data += 1 if len(f) == 2 + 48 else 0
        elif f[0] == "LOOP":
            loop = [int(x) for x in f[1:5]]
    if len(walls) != n or loop is None or loop[0] != n:
        raise RuntimeError("incomplete output:\n" + text[-2000:])
    if op == "read" and data + failures < n:
        raise RuntimeError("read answers of the wrong length")
    return walls, failures, loop


def run_client(args, n, op, timeout):
    proc = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          timeout=timeout)
    if proc.returncode not in (0, 1):
        raise RuntimeError(" ".join(args) + " failed: " + proc.stderr)
    return parse_run(proc.stdout, n, op)


def percentile(values, p):
    # Nearest rank.
    s = sorted(values)
    k = max(0, min(len(s) - 1, math.ceil(p / 100.0 * len(s)) - 1))
    return s[k]


def summary(walls, failures, loop):
    n = loop[0]
    return {
        "n": n,
        "median_ms": statistics.median(walls) / 1e6,
        "p99_ms": percentile(walls, 99) / 1e6,
        "cpu_us": (loop[2] + loop[3]) / n / 1e3,
        "failures": failures,
    }


def wire_ms(op, baud):
    if not baud:
        return None
    return (READ_BYTES if op == "read" else WRITE_BYTES) * 10 * 1000.0 / baud


def fmt(x, digits=2):
    return "-" if x is None else f"{x:.{digits}f}"


def machine_text():
    model = "?"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    try:
        modbus = subprocess.run(["pkg-config", "--modversion", "libmodbus"], capture_output=True,
                                text=True).stdout.strip()
    except OSError:
        modbus = "?"
    pretty = platform.platform()
    try:
        with open("/etc/os-release") as f:
            for line in f:
                if line.startswith("PRETTY_NAME="):
                    pretty = line.split("=", 1)[1].strip().strip('"')
    except OSError:
        pass
    return (f"{model}, {os.cpu_count()} cores; {pretty}; kernel {platform.release()}; "
            f"libmodbus {modbus}")


def run_header(started, load_before, load_after):
    """The lines that open every report: when, on what, under which load."""
    return [f"Run {started}; machine: {machine_text()}.",
            f"Load average (1, 5, 15 min) before: {', '.join(f'{x:.2f}' for x in load_before)}; "
            f"after: {', '.join(f'{x:.2f}' for x in load_after)}."]


def emit(lines, output):
    """The report on stdout, and into output when given."""
    text = "\n".join(lines) + "\n"
    sys.stdout.write(text)
    if output:
        with open(output, "w") as f:
            f.write(text)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--build-dir", default=os.path.join(ROOT, "build", "bench"))
    ap.add_argument("--no-build", action="store_true", help="use the programs as they are")
    ap.add_argument("--quick", action="store_true", help="counts divided by 10")
    ap.add_argument("--only", action="append", help="run only this configuration (repeatable)")
    ap.add_argument("--output", help="write the report to this file too")
    opts = ap.parse_args()

    if not opts.no_build:
        log("building in", opts.build_dir)
        build(opts.build_dir)
    bin_dir = os.path.join(opts.build_dir, "bin")

    load_before = os.getloadavg()
    started = time.strftime("%Y-%m-%d %H:%M:%S")
    rows = []
    for name, sim_baud, index, mb_baud, counts, note in CONFIGS:
        if opts.only and name not in opts.only:
            continue
        sim = Simulator(bin_dir, sim_baud)
        try:
            for op in ("read", "write"):
                n = max(5, counts[op] // 10) if opts.quick else counts[op]
                budget = 60 + n * 5
                clients = [("orvadw", [os.path.join(bin_dir, "orvadw-cli"), "--port", sim.link,
                                       "--baud-index", str(index), "bench", op, "--count", str(n)])]
                if mb_baud:
                    clients.append(("libmodbus", [os.path.join(bin_dir, "modbus_peer"), "--device",
                                                  sim.link, "--baud", str(mb_baud), op, "--count",
                                                  str(n)]))
                results = {}
                for client, args in clients:
                    log(f"{name} {op} {client} x{n}")
                    results[client] = summary(*run_client(args, n, op, budget))
                ref = results.get("libmodbus")
                for client, r in results.items():
                    ratio = None
                    cpu_ratio = None
                    if ref and client == "orvadw":
                        ratio = r["median_ms"] / ref["median_ms"]
                        cpu_ratio = r["cpu_us"] / ref["cpu_us"] if ref["cpu_us"] > 0 else None
                    label = f"{name} (index {index})" if client == "orvadw" else name
                    rows.append((label, op, client, r, wire_ms(op, sim_baud), ratio, cpu_ratio, note))
        finally:
            counts_seen = sim.stop()
            log(f"{name}: simulator counts {counts_seen}")
    load_after = os.getloadavg()

    out = run_header(started, load_before, load_after)
    out.append("")
    out.append("| line (orvadw baud index) | op | client | n | median ms | p99 ms | wire ms | median - wire ms "
               "| CPU us/tx | median / libmodbus | CPU / libmodbus | failed |")
    out.append("|---|---|---|---|---|---|---|---|---|---|---|---|")
    for name, op, client, r, wire, ratio, cpu_ratio, note in rows:
        above = None if wire is None else r["median_ms"] - wire
        out.append(f"| {name} | {op} | {client} | {r['n']} | {fmt(r['median_ms'], 3)} "
                   f"| {fmt(r['p99_ms'], 3)} | {fmt(wire)} | {fmt(above, 3)} | {fmt(r['cpu_us'], 1)} "
                   f"| {fmt(ratio)} | {fmt(cpu_ratio)} | {r['failures']} |")
    notes = sorted({note for *_, note in rows if note})
    if notes:
        out.append("")
        for note in notes:
            out.append(f"- {note}")
    emit(out, opts.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
