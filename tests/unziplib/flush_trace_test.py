#!/usr/bin/env python3
"""The native library under strace, extracting into a new folder (files made without a name,
then linked to theirs) and again over the same files (each linked to a temporary name, then
renamed over its old one): every file must be on the disk before it gets its name.

usage: flush_trace_test.py EXTRACTING_PROGRAM   (tarvik_unzip_bench: ARCHIVE FOLDER)"""
import os
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
import flush_trace  # noqa: E402

if subprocess.run(["strace", "-o", "/dev/null", "true"], capture_output=True).returncode != 0:
    print("skipped: strace cannot trace processes here (missing, or ptrace not permitted)")
    sys.exit(77)
with tempfile.TemporaryDirectory() as work:
    work = Path(work)
    names = [f"{folder}/f{i}.bgl" for folder in ("scenery", "texture") for i in range(20)]
    with zipfile.ZipFile(work / "payload.zip", "w", zipfile.ZIP_DEFLATED) as archive:
        for name in names:
            archive.writestr(name, os.urandom(40000))
    problems = []
    for run in ("into a new folder", "over the same files"):
        trace = work / run
        trace.mkdir()
        subprocess.run([*flush_trace.STRACE, "-o", str(trace / "t"), sys.argv[1],
                        str(work / "payload.zip"), str(work / "out")], check=True,
                       stdout=subprocess.DEVNULL)
        placed = {p.target: p.flushed for p in flush_trace.placements(trace.iterdir())}
        problems += [f"{run}: {name} got its name before it was on the disk" for name in names
                     if not placed.get(flush_trace.real(work / "out" / name))]
print("\n".join(problems) or "every file was on the disk before it got its name")
sys.exit(1 if problems else 0)
