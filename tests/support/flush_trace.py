"""Reads what strace recorded of an extraction (-ff -ttt -T -y, one file per thread, calls
openat, fsync, fdatasync, linkat and rename*) and tells, for every file named or moved into place,
when that happened and whether the file had reached the disk first: flushed (fsync) before the
call that gave it its name began. A file is known by the path of its descriptor, by the name it
was created under, or for an unnamed one by the descriptor that linkat names it through."""

import os
import re
from dataclasses import dataclass
from pathlib import Path

TRACED = "openat,fsync,fdatasync,linkat,rename,renameat,renameat2"
STRACE = ["strace", "-ff", "-ttt", "-T", "-y", "-qq", "-e", "trace=" + TRACED]

LINE = re.compile(r'^(\d+\.\d+) (\w+)\((.*)\) = (\S+).* <(\d+\.\d+)>$')
DESCRIPTOR = re.compile(r'^(\d+)<(.*)>')


@dataclass
class Placement:
    time: float
    target: str  # the name given, its folder resolved as the system sees it
    flushed: bool


# Wine runs in the Debian root of scripts/wine-root, where the project lies at its own path; a
# descriptor's path as strace reads it from outside leads through the root.
WINE_ROOT = str(Path(__file__).resolve().parents[2] / "build/wine-root")


def real(path):
    path = str(path)
    if path.startswith(WINE_ROOT + "/"):
        path = path[len(WINE_ROOT):]
    folder, name = os.path.split(path)
    return os.path.join(os.path.realpath(folder), name)


def calls(trace_files):
    """The successful calls in the order of their effect: a descriptor opened or a flush done
    when the call returned, a name given when the call began."""
    found = []
    for trace in trace_files:
        for line in Path(trace).read_text(errors="replace").splitlines():
            match = LINE.match(line)
            if match and not match[4].startswith("-"):
                ends = match[2] in ("openat", "fsync", "fdatasync")
                when = float(match[1]) + (float(match[5]) if ends else 0)
                found.append((when, match[2], match[3], match[4]))
    return sorted(found)


def placements(trace_files):
    """Every naming or move of a file, in the order they happened."""
    opened, flushed, placed = {}, set(), []  # descriptor -> path; paths of flushed files

    def place(when, source, target):
        placed.append(Placement(when, real(target), real(source) in flushed))
        if real(source) in flushed:
            flushed.add(real(target))

    for when, name, arguments, result in calls(trace_files):
        quoted = re.findall(r'"((?:[^"\\]|\\.)*)"', arguments)
        if name == "openat" and DESCRIPTOR.match(result):
            number, path = DESCRIPTOR.match(result).groups()
            opened[number] = path
        elif name in ("fsync", "fdatasync"):
            flushed.add(real(DESCRIPTOR.match(arguments)[2]))
        elif name == "linkat" and quoted[0].startswith("/proc/self/fd/"):
            place(when, opened.get(quoted[0].rsplit("/", 1)[1], ""), quoted[1])
        elif name.startswith("rename"):
            place(when, quoted[0], quoted[1])
    return placed


def flushes(trace_files):
    """Every flush (fsync) of a file or folder, as (time it returned, path), in order."""
    return [(when, real(DESCRIPTOR.match(arguments)[2]))
            for when, name, arguments, _ in calls(trace_files)
            if name in ("fsync", "fdatasync") and DESCRIPTOR.match(arguments)]
