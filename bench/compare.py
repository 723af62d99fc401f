#!/usr/bin/env python3
"""Times extractions of one archive into fresh, empty folders: our library (through its bench
program) against bsdtar, 7z and Python's zipfile, interleaved so that all meet the same load.

usage: compare.py --archive ZIP --ours BENCH_PROGRAM --work FOLDER [--runs N] [--expect FOLDER]
"""
import argparse
import filecmp
import os
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


def timed_run(command, out):
    if os.path.exists(out):
        shutil.rmtree(out)
    os.makedirs(out)
    os.sync()  # no write-back of an earlier run during this one
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


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
    for run in range(args.runs):
        # Each round in another order, so that no tool always follows the same one.
        names = list(tools)
        shift = run % len(names)
        for name in names[shift:] + names[:shift]:
            out = os.path.join(args.work, name.replace(" ", "_"))
            times[name].append(timed_run(tools[name](out), out))
            if args.expect and run == 0 and not same_tree(out, args.expect):
                sys.exit(f"{name}: the extracted files differ from {args.expect}")
    shutil.rmtree(args.work, ignore_errors=True)

    ours = times["tarvik_unzip"]
    print(f"{'extractor':16} {'best s':>8} {'median s':>9} {'best/ours':>10} {'median/ours':>12}")
    for name, values in times.items():
        best, median = min(values), statistics.median(values)
        print(f"{name:16} {best:8.3f} {median:9.3f} {best / min(ours):10.2f} "
              f"{median / statistics.median(ours):12.2f}")
    others = [name for name in times if name != "tarvik_unzip"]
    fastest = min(others, key=lambda name: min(times[name]))
    fastest_median = min(statistics.median(times[name]) for name in others)
    verdict = min(ours) <= min(times[fastest]) and statistics.median(ours) <= fastest_median
    print(f"fastest other: {fastest}; tarvik_unzip is "
          f"{'at least as fast' if verdict else 'SLOWER'} (best and median)")
    return 0 if verdict else 1


if __name__ == "__main__":
    sys.exit(main())
