#!/usr/bin/env python3
"""Spreadsheet export benchmark: a 24-hour recording at one sample a second
(86,400 samples, about 80 MB) exported by `orvadw-cli export` to PRN text and
to an xlsx workbook, with the wall time and the peak memory (maximum resident
set) of each run; the same for a one-hour recording, to show that memory does
not grow with the file.

The recording is written here, record by record in the measurement file
format (three records a sample: parameter block, live block, chart points),
with a clock that advances one second a sample and values that move.

Builds orvadw-cli (Release, GUI and tests off, in build/bench-export unless
told otherwise), runs every export under `nice -n 10` and /usr/bin/time
(Debian package time, installed by scripts/setup.sh) and prints a Markdown
report.

    python3 bench/export_bench.py                  # full run (under a minute)
    python3 bench/export_bench.py --output FILE    # report into FILE as well

Standard library only.
"""

import argparse
import datetime
import math
import os
import struct
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_bench import log, machine_text  # noqa: E402  (the link benchmark's helpers)

DAY = 86400
HOUR = 3600


def build(build_dir):
    if not os.path.exists(os.path.join(build_dir, "build.ninja")):
        subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release", "-DORVADW_BUILD_TESTS=OFF",
                        "-DORVADW_BUILD_GUI=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["nice", "-n", "10", "cmake", "--build", build_dir, "-j2", "--target", "orvadw-cli"],
                   check=True, stdout=subprocess.DEVNULL)
    return os.path.join(build_dir, "bin", "orvadw-cli")


def header(text, when):
    date_line = when.strftime("%d/%m/%Y - %H:%M:%S\n").encode()
    body = b"\n\n" + date_line + text + b"\n"
    return struct.pack("<i", 4 + len(body)) + body + struct.pack("<i", 0)


NO_VALUE = struct.pack(">f", float("-inf"))


def sample_records(start, i, chart):
    """The three records of sample i; chart holds the 200 points as bytes."""
    when = start + datetime.timedelta(seconds=i)
    speed = 1480.0 + 3.0 * math.sin(i / 600.0)
    chart[:] = chart[4:] + struct.pack(">f", speed)
    parameters = bytes(38) + bytes([0, 0x21, 0x34, 0x3C, 0xF0, 0])
    live = bytearray(48)
    live[0:4] = struct.pack(">f", speed)
    live[5] = 1 if i % 1000 == 999 else 0
    live[6:10] = struct.pack(">f", 67.5 + 0.1 * math.cos(i / 300.0))
    live[10:16] = bytes([when.month, when.year % 100, when.hour, when.day, when.second, when.minute])
    live[18] = 40 + i % 5
    live[20] = 90 + i % 7
    live[22:28] = bytes([start.month, start.year % 100, start.hour, start.day, 0, 0])
    live[28:32] = struct.pack(">I", i // 900)
    live[32:39] = b"10-11-A"
    return [parameters, bytes(live), bytes(chart)]


def write_recording(path, samples):
    start = datetime.datetime(2026, 3, 15, 0, 0, 0)
    chart = bytearray(NO_VALUE * 200)
    with open(path, "wb") as f:
        f.write(header(b"Mesure\nOrvadW 10\n4278058235\n12\n26\n345\n10-11-A\nMeter", start))
        index = 0
        for i in range(samples):
            for record in sample_records(start, i, chart):
                f.write(struct.pack("<i", len(record)) + record + struct.pack("<ii", len(record), index + 1))
                index += 1
    return os.path.getsize(path)


def timed(args):
    """Wall and CPU seconds and peak resident memory (MB) of one run.

    The peak comes from /usr/bin/time, measured in the program itself: a
    child forked from this script would count the script's own pages."""
    began = time.monotonic()
    proc = subprocess.run(["nice", "-n", "10", "/usr/bin/time", "-f", "@@ %M %U %S"] + args,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    wall = time.monotonic() - began
    if proc.returncode != 0:
        raise RuntimeError("%s failed: %s%s" % (" ".join(args), proc.stdout, proc.stderr))
    line = [l for l in proc.stderr.splitlines() if l.startswith("@@ ")][-1].split()
    return wall, float(line[1]) / 1024.0, float(line[2]) + float(line[3]), proc.stdout


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build", "bench-export"))
    parser.add_argument("--runs", type=int, default=3, help="runs of each export (the median is reported)")
    parser.add_argument("--cli", help="an orvadw-cli already built (nothing is built then)")
    parser.add_argument("--output", help="write the report to this file as well")
    args = parser.parse_args()

    cli = args.cli or build(args.build_dir)
    # The C locale's format: the figures do not depend on the user's.
    os.environ["LC_ALL"] = "C.UTF-8"
    rows = []
    with tempfile.TemporaryDirectory(prefix="orvadw-export-bench-") as tmp:
        for name, samples in (("24 hours", DAY), ("1 hour", HOUR)):
            source = os.path.join(tmp, "run-%d.mes" % samples)
            size = write_recording(source, samples)
            log("%s: %d samples, %.1f MB" % (name, samples, size / 1e6))
            for fmt in ("prn", "xlsx"):
                target = os.path.join(tmp, "out.%s" % fmt)
                env_args = [cli, "export", source, target]
                runs = []
                for _ in range(args.runs):
                    runs.append(timed(env_args))
                runs.sort(key=lambda r: r[0])
                wall, rss, cpu, out = runs[len(runs) // 2]
                if ("samples: %d" % samples) not in out:
                    raise RuntimeError("unexpected output: " + out)
                rows.append((name, samples, size, fmt, wall, cpu, rss, os.path.getsize(target)))
                log("  %s: %.2f s, %.1f MB peak" % (fmt, wall, rss))

    lines = ["Run %s; machine: %s." % (time.strftime("%Y-%m-%d %H:%M:%S"), machine_text()), "",
             "| recording | samples | file MB | to | wall s (median of %d) | CPU s | peak RSS MB | output MB |"
             % args.runs,
             "|---|---|---|---|---|---|---|---|"]
    for name, samples, size, fmt, wall, cpu, rss, out_size in rows:
        lines.append("| %s | %d | %.1f | %s | %.2f | %.2f | %.1f | %.1f |"
                     % (name, samples, size / 1e6, fmt, wall, cpu, rss, out_size / 1e6))
    report = "\n".join(lines) + "\n"
    print(report)
    if args.output:
        with open(args.output, "w") as f:
            f.write(report)


if __name__ == "__main__":
    main()
