#!/usr/bin/env python3
"""Times extractions of one archive into fresh, empty folders: our library (through its bench
program) against bsdtar, 7z and Python's zipfile, interleaved so that all meet the same load.
Ours puts every file on the disk before it names it; each other extraction is timed with a
final `sync -f` of its folder, so that every time ends with the files on the disk. Prints each
one's best and median time, our time as a share of each other's, and the peak resident memory
of our extraction. Exits with 1 when ours takes more than GOAL times bsdtar's.

usage: compare.py --archive ZIP --ours BENCH_PROGRAM --work FOLDER [--runs N] [--expect FOLDER]
"""
import argparse
import filecmp
import os
import re
import shutil
import statistics
import subprocess
import sys
import time


def extractors(archive, ours):
    unzip_py = "import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])"
    return {
        "tarvik_unzip": lambda out: [ours, archive, out],
        "bsdtar": lambda out: ["bsdtar", "-x", "-f", archive, "-C", out],
        "7z": lambda out: ["7z", "x", "-y", "-bd", "-o" + out, archive],
        "python zipfile": lambda out: [sys.executable, "-c", unzip_py, archive, out],
    }


GOAL = 0.55  # our best time at most this share of bsdtar's best, both with the files on the disk


def timed_run(command, out, flushes):
    """The whole process's time in seconds, with the files on the disk, and what it printed."""
    if os.path.exists(out):
        shutil.rmtree(out)
    os.makedirs(out)
    os.sync()  # no write-back of an earlier run during this one
    start = time.perf_counter()
    done = subprocess.run(command, check=True, stdout=subprocess.PIPE, text=True)
    if not flushes:
        subprocess.run(["sync", "-f", out], check=True)
    return time.perf_counter() - start, done.stdout


def peak_memory(bench_output):
    """The peak resident memory in KiB that our bench program reports of itself."""
    found = re.search(r"peak resident memory (\d+) KiB", bench_output)
    return int(found.group(1)) if found else 0


def same_tree(left, right):
    compared = filecmp.dircmp(left, right)
    if compared.left_only or compared.right_only or compared.funny_files:
        return False
    _, mismatch, errors = filecmp.cmpfiles(left, right, compared.common_files, shallow=False)
    if mismatch or errors:
        return False
    return all(same_tree(os.path.join(left, d), os.path.join(right, d)) for d in compared.common_dirs)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--archive", required=True)
    parser.add_argument("--ours", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--expect", help="folder that every extraction must equal")
    args = parser.parse_args()

    tools = extractors(os.path.abspath(args.archive), os.path.abspath(args.ours))
    times = {name: [] for name in tools}
    memory = 0
    for run in range(args.runs):
        # Each round in another order, so that no tool always follows the same one.
        names = list(tools)
        shift = run % len(names)
        for name in names[shift:] + names[:shift]:
            out = os.path.join(args.work, name.replace(" ", "_"))
            took, printed = timed_run(tools[name](out), out, flushes=name == "tarvik_unzip")
            times[name].append(took)
            if name == "tarvik_unzip":
                memory = max(memory, peak_memory(printed))
            if args.expect and run == 0 and not same_tree(out, args.expect):
                sys.exit(f"{name}: the extracted files differ from {args.expect}")
    shutil.rmtree(args.work, ignore_errors=True)

    ours = times["tarvik_unzip"]
    print(f"{'extractor':16} {'best s':>8} {'median s':>9} {'ours/it best':>13} "
          f"{'ours/it median':>15}")
    for name, values in times.items():
        best, median = min(values), statistics.median(values)
        print(f"{name:16} {best:8.3f} {median:9.3f} {min(ours) / best:13.2f} "
              f"{statistics.median(ours) / median:15.2f}")
    share = min(ours) / min(times["bsdtar"])
    met = share <= GOAL
    print(f"tarvik_unzip takes {share:.2f} x the time of bsdtar (best of each; goal at most "
          f"{GOAL:.2f}): {'met' if met else 'NOT met'}; its peak resident memory "
          f"{memory} KiB")
    return 0 if met else 1

if __name__ == "__main__":
    sys.exit(main())
