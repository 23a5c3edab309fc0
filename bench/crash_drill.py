#!/usr/bin/env python3
"""Crash drill for recordings: `orvadw-cli record` against orvadw-sim, killed
with SIGKILL at a random moment, again and again, each run into a file of
its own. Afterwards every file that exists must open (`orvadw-cli file-dump`
exits 0), hold a whole number of samples (records a multiple of 3, each of
the size a clean recording gives that position) and have lost at most the
sample being written: the samples in the file are the samples the command
had announced on its standard output when it was killed, or one more (written
but not yet announced).

Half of the kills land at any moment after the start (in the connection, the
identification, the file's creation or a sample's write), half at a random
point of a sample period after a sample was announced.

    python3 bench/crash_drill.py                     # 200 kills, Markdown report
    python3 bench/crash_drill.py --runs 20 --seed 7  # a short look
    python3 bench/crash_drill.py --bin-dir build/default/bin

Builds orvadw-cli and orvadw-sim with the default preset unless --bin-dir is
given. Standard library only; exits 1 when any file breaks a rule.
"""

import argparse
import os
import random
import selectors
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RECORDS_PER_SAMPLE = 3
RUN_DEADLINE_S = 20.0  # a run that announces nothing for this long hangs


def log(*args):
    print(*args, file=sys.stderr, flush=True)


def build():
    subprocess.run(["cmake", "--preset", "default"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "default", "-j2", "--target", "orvadw-cli",
                    "orvadw-sim"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    return os.path.join(ROOT, "build", "default", "bin")


class Simulator:
    def __init__(self, bin_dir, folder):
        self.link = os.path.join(folder, "ttySIM")
        self.proc = subprocess.Popen([os.path.join(bin_dir, "orvadw-sim"), "--link", self.link],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        if not self.proc.stdout.readline():  # the pty path, once it serves
            raise RuntimeError("orvadw-sim did not start")
        deadline = time.monotonic() + 10
        while not os.path.exists(self.link):
            if time.monotonic() > deadline:
                raise RuntimeError("orvadw-sim made no link")
            time.sleep(0.01)

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def dump(bin_dir, path):
    """(exit code, record sizes, stderr) of `orvadw-cli file-dump path`."""
    r = subprocess.run([os.path.join(bin_dir, "orvadw-cli"), "file-dump", path],
                       capture_output=True, text=True, timeout=30)
    sizes = [len(line.split()) for line in r.stdout.splitlines()]
    return r.returncode, sizes, r.stderr


def record_cmd(bin_dir, link, path, extra=()):
    return [os.path.join(bin_dir, "orvadw-cli"), "--port", link, "record", path, *extra]


def reference_sizes(bin_dir, link, folder):
    path = os.path.join(folder, "reference.mes")
    subprocess.run(record_cmd(bin_dir, link, path, ["--samples", "2"]), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    rc, sizes, err = dump(bin_dir, path)
    if rc != 0 or len(sizes) != 2 * RECORDS_PER_SAMPLE or sizes[:3] != sizes[3:]:
        raise RuntimeError("the clean recording is not as expected: %s %s" % (sizes, err))
    return sizes[:RECORDS_PER_SAMPLE]


def killed_run(bin_dir, link, path, rng):
    """Starts a recording, kills it; (announced samples, mode, seconds alive, hung)."""
    start = time.monotonic()
    proc = subprocess.Popen(record_cmd(bin_dir, link, path), stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, bufsize=0)
    os.set_blocking(proc.stdout.fileno(), False)
    sel = selectors.DefaultSelector()
    sel.register(proc.stdout, selectors.EVENT_READ)
    announced = 0
    pending = b""

    def read_until(deadline, want_lines=None):
        nonlocal announced, pending
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                return False
            for _ in sel.select(left):
                chunk = proc.stdout.read()
                if chunk is None:
                    continue
                if not chunk:
                    return False  # ended by itself: not expected before the kill
                pending += chunk
                *lines, pending = pending.split(b"\n")
                announced += sum(1 for line in lines if line.startswith(b"sample "))
                if want_lines is not None and announced >= want_lines:
                    return True

    hung = False
    if rng.random() < 0.5:
        mode = "any moment"
        read_until(start + rng.uniform(0.0, 3.5))
    else:
        mode = "in a sample period"
        if not read_until(start + RUN_DEADLINE_S, want_lines=rng.randint(1, 2)):
            hung = True
        read_until(time.monotonic() + rng.uniform(0.0, 1.0))
    proc.send_signal(signal.SIGKILL)
    proc.wait()
    # What it announced before it died is in the pipe still.
    rest = pending + (proc.stdout.read() or b"")
    announced += sum(1 for line in rest.split(b"\n") if line.startswith(b"sample "))
    sel.close()
    proc.stdout.close()
    return announced, mode, time.monotonic() - start, hung


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=200)
    parser.add_argument("--seed", type=int, default=20261209)
    parser.add_argument("--bin-dir")
    args = parser.parse_args()
    bin_dir = args.bin_dir or build()
    rng = random.Random(args.seed)
    folder = tempfile.mkdtemp(prefix="orvadw-crash-drill-")
    sim = Simulator(bin_dir, folder)
    faults = []
    counts = {"no file": 0, "header only": 0, "cut tail": 0, "one more than announced": 0}
    samples, alive, modes = [], [], {}
    try:
        sizes = reference_sizes(bin_dir, sim.link, folder)
        log("reference record sizes:", sizes)
        for run in range(args.runs):
            path = os.path.join(folder, "run%03d.mes" % run)
            announced, mode, seconds, hung = killed_run(bin_dir, sim.link, path, rng)
            modes[mode] = modes.get(mode, 0) + 1
            alive.append(seconds)
            if hung:
                faults.append("run %d: no sample announced within %.0f s" % (run, RUN_DEADLINE_S))
            if not os.path.exists(path):
                counts["no file"] += 1
                if announced:
                    faults.append("run %d: %d samples announced, no file" % (run, announced))
                continue
            rc, got, err = dump(bin_dir, path)
            if rc != 0:
                faults.append("run %d: the file does not open: %s" % (run, err.strip()))
                continue
            if "ends inside a record" in err:
                counts["cut tail"] += 1
            if len(got) % RECORDS_PER_SAMPLE:
                faults.append("run %d: %d records, not whole samples" % (run, len(got)))
            bad = [i for i, n in enumerate(got) if n != sizes[i % RECORDS_PER_SAMPLE]]
            if bad:
                faults.append("run %d: record %d has %d bytes" % (run, bad[0], got[bad[0]]))
            in_file = len(got) // RECORDS_PER_SAMPLE
            if in_file == 0:
                counts["header only"] += 1
            if in_file == announced + 1:
                counts["one more than announced"] += 1
            elif in_file != announced:
                faults.append("run %d: %d samples in the file, %d announced" % (run, in_file, announced))
            samples.append(in_file)
            if (run + 1) % 20 == 0:
                log("%d runs, %d faults" % (run + 1, len(faults)))
    finally:
        sim.stop()

    print("| runs | kills at any moment | kills in a sample period | files that open | "
          "no file (killed before it was made) | header only | samples in the files | "
          "cut tails | one sample more than announced | faults |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    print("| %d | %d | %d | %d | %d | %d | %d (max %d a file) | %d | %d | %d |" % (
        args.runs, modes.get("any moment", 0), modes.get("in a sample period", 0), len(samples),
        counts["no file"], counts["header only"], sum(samples), max(samples, default=0),
        counts["cut tail"], counts["one more than announced"], len(faults)))
    print()
    print("Median time from start to kill %.2f s, longest %.2f s." % (
        statistics.median(alive), max(alive)))
    for fault in faults:
        print("- " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
