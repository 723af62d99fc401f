"""Snapshots of a prefix's drives (paths, kinds, sizes, times, modes, extended attributes and
contents), to tell what a run changed."""

import hashlib
import os
from dataclasses import dataclass
from pathlib import Path

from .environment import IGNORED


@dataclass(frozen=True)
class Item:
    kind: str  # "file", "dir" or "link"
    size: int
    mtime: int
    mode: int
    xattrs: tuple
    digest: str


def ignored(relative):
    return any(pattern.search(relative) for pattern in IGNORED)


def file_digest(path):
    digest = hashlib.sha1()
    with open(path, "rb") as stream:
        for block in iter(lambda: stream.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def snapshot(prefix):
    """Paths, kinds, sizes, mtimes, modes, extended attributes and contents of the drives."""
    items = {}
    for drive in ("drive_c", "drive_d", "drive_e"):
        for folder, dirs, files in os.walk(prefix / drive):
            relative_folder = os.path.relpath(folder, prefix)
            dirs[:] = [d for d in dirs if not ignored(f"{relative_folder}/{d}")]
            for name in dirs + files:
                path = Path(folder) / name
                relative = f"{relative_folder}/{name}"
                if ignored(relative):
                    continue
                status = path.lstat()
                xattrs = tuple(sorted((key, os.getxattr(path, key, follow_symlinks=False))
                                      for key in os.listxattr(path, follow_symlinks=False)))
                if path.is_symlink():
                    items[relative] = Item("link", 0, status.st_mtime_ns, status.st_mode, xattrs,
                                           os.readlink(path))
                elif path.is_dir():
                    # The installer's checks create a file in a folder and put the folder's time
                    # back, to the 100 ns that Windows keeps.
                    items[relative] = Item("dir", 0, status.st_mtime_ns // 100, status.st_mode,
                                           xattrs, "")
                else:
                    items[relative] = Item("file", status.st_size, status.st_mtime_ns,
                                           status.st_mode, xattrs, file_digest(path))
    return items


def hidden(item):
    for key, value in item.xattrs:
        if key == "user.DOSATTRIB":
            return int(value.decode().strip("\0"), 16) & 0x2 != 0
    return False


def writable(item):
    return item.mode & 0o200 != 0

