#!/usr/bin/env python3
"""Runs the unzip library over a folder of ZIP archives that other readers keep as test suites,
beside bsdtar and Python's zipfile: for each archive, our test and our extraction (result and
last line, through the bench program), whether bsdtar and zipfile read it, and whether our
extracted files equal theirs. A symbolic link counts as a file that holds its target. Flags
archives where our test and extraction disagree, and anything the program wrote to stderr (a
sanitizer's report).

usage: peer_corpus.py --ours BENCH_PROGRAM --corpus FOLDER [--work FOLDER]
  (build the program with: cmake --build build/native --target tarvik_unzip_bench)
"""
import argparse
import os
import shutil
import subprocess
import sys
import zipfile


def tree(folder):
    """Every file below the folder with its bytes, and every folder, by relative path."""
    found = {}
    for root, folders, files in os.walk(folder):
        for name in folders + files:
            path = os.path.join(root, name)
            relative = os.path.relpath(path, folder)
            if os.path.islink(path):
                found[relative] = os.readlink(path).encode()
            elif os.path.isdir(path):
                found[relative + "/"] = None
            else:
                with open(path, "rb") as data:
                    found[relative] = data.read()
    return found


def ours(program, archive, out, test):
    command = [program, archive, out, "--lines"] + (["--test"] if test else [])
    done = subprocess.run(command, capture_output=True, text=True, errors="replace", timeout=120)
    lines = [line for line in done.stdout.splitlines() if not line.startswith("result ")]
    result = done.stdout.split("result ")[-1].split(",")[0] if "result " in done.stdout else "?"
    return result, (lines[-1] if lines else ""), done.stderr.strip()


def bsdtar(archive, out):
    return subprocess.run(["bsdtar", "-x", "-f", archive, "-C", out],
                          capture_output=True, timeout=120).returncode == 0


def python_zipfile(archive, out):
    try:
        with zipfile.ZipFile(archive) as opened:
            opened.extractall(out)
        return True
    except Exception:  # any refusal counts as not read
        return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ours", required=True)
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--work", default="/tmp/peer-corpus-work")
    args = parser.parse_args()
    program = os.path.abspath(args.ours)
    print("archive | our test | our extraction: last line | bsdtar | zipfile | same files as")
    for name in sorted(os.listdir(args.corpus)):
        archive = os.path.join(os.path.abspath(args.corpus), name)
        if name.endswith(".md") or not os.path.isfile(archive):
            continue
        shutil.rmtree(args.work, ignore_errors=True)
        outs = {tool: os.path.join(args.work, tool) for tool in ("ours", "bsdtar", "zipfile")}
        for folder in outs.values():
            os.makedirs(folder)
        tested, _, test_errors = ours(program, archive, outs["ours"], test=True)
        result, last, errors = ours(program, archive, outs["ours"], test=False)
        read = {"bsdtar": bsdtar(archive, outs["bsdtar"]),
                "zipfile": python_zipfile(archive, outs["zipfile"])}
        mine = tree(outs["ours"])
        same = [tool for tool in read if mine and tree(outs[tool]) == mine]
        notes = []
        if (tested == "0") != (result == "0"):
            notes.append("TEST AND EXTRACTION DISAGREE")
        if test_errors or errors:
            notes.append("STDERR: " + (test_errors or errors).splitlines()[0])
        print(f"{name} | {tested} | {result}: {last} | {'ok' if read['bsdtar'] else 'refused'} | "
              f"{'ok' if read['zipfile'] else 'refused'} | {', '.join(same) or '-'}"
              + ("".join(" | " + note for note in notes)))
    shutil.rmtree(args.work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
