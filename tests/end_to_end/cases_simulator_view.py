"""Cases of what the simulator sees: Windows shows 32-bit programs without a manifest, run
without administrator rights, a copy from the user's VirtualStore in place of a file below
Program Files that they once wrote."""

import os
import shutil

from harness.environment import (
    FS2000_TARVIK, Failure, SUCCESS, TARVIK_EXTRA, package_entries, place_package, windows_path
)
from harness.outcome_checks import CaseSetup, Expectation


# Windows shows 32-bit programs without a manifest, run without administrator rights, a copy
# from the user's VirtualStore in place of a file below Program Files that they once wrote.
def fs2002_in_program_files(env):
    """Where FS2002's installer puts it: the 32-bit programs' Program Files of the Windows."""
    program_files = "Program Files (x86)" if env.arch == "win64" else "Program Files"
    return f"drive_c/{program_files}/Microsoft Games/FS2002"


def tarvik_in_program_files(env):
    return fs2002_in_program_files(env) + "/Addon Scenery/Tarvik"


TARVIK_B = "drive_c/Addons/TarvikB"


def virtual_copy(prefix, relative):
    """Where Windows keeps the simulator's copy of a path of drive C: (relative to the prefix):
    the user's VirtualStore, the same path without its drive."""
    users = [user for user in (prefix / "drive_c/users").iterdir()
             if (user / "AppData/Local").is_dir() and user.name != "Public"]
    if len(users) != 1:
        raise Failure(f"expected one user in the prefix, found {[u.name for u in users]}")
    return users[0] / "AppData/Local/VirtualStore" / relative.split("/", 1)[1]


def relative_to_prefix(prefix, path):
    return str(path.relative_to(prefix))


def move_fs2002_into_program_files(env, prefix):
    """FS2002 where its installer puts it, registered there."""
    target = prefix / fs2002_in_program_files(env)
    target.parent.mkdir(parents=True, exist_ok=True)
    shutil.move(str(prefix / "drive_c/Games/FS2002"), str(target))
    system = prefix / "system.reg"
    text = system.read_text(errors="surrogateescape")
    registered = '"EXE path"="C:\\\\Games\\\\FS2002"'
    if registered not in text:
        raise Failure("the base prefix does not register FS2002 in C:\\Games\\FS2002")
    folder = windows_path(fs2002_in_program_files(env)).replace("\\", "\\\\")
    system.write_text(text.replace(registered, f'"EXE path"="{folder}"'), errors="surrogateescape")


def first_payload_texture(env):
    return next(e.name for e in package_entries(env) if e.name.startswith("texture/")
                and not e.name.endswith("/"))


def case_virtual_store(env, prefix):
    """FS2002 below the 32-bit programs' Program Files; the copy of its scenery.cfg in the
    VirtualStore names area B (C:\\Addons\\TarvikB, 2.0) too, and copies of a payload texture
    (old contents) and of an obsolete file hide A's real ones. A and B are offered and ticked;
    afterwards the simulator's view of A holds every file new and no obsolete one, and both
    scenery.cfg files are as they were."""
    move_fs2002_into_program_files(env, prefix)
    config = fs2002_in_program_files(env) + "/scenery.cfg"
    copy = virtual_copy(prefix, config)
    copy.parent.mkdir(parents=True)
    copy.write_bytes((prefix / config).read_bytes() + b"\r\n[Area.006]\r\nTitle=Tarvik B\r\n"
                     b"Local=C:\\Addons\\TarvikB\r\nLayer=6\r\nActive=TRUE\r\n")
    shutil.copytree(prefix / FS2000_TARVIK, prefix / TARVIK_B, symlinks=True)
    area = virtual_copy(prefix, tarvik_in_program_files(env))
    for name, content in ((first_payload_texture(env), b"old texture"),
                          ("scenery/NOORD.XCL", b"obsolete")):
        (area / name).parent.mkdir(parents=True, exist_ok=True)
        (area / name).write_bytes(content)
    place_package(env, prefix, "drive_c/Tarvik Update")
    a_line = "Tarvik versie 2.0         " + windows_path(tarvik_in_program_files(env)).lower()
    b_line = "Tarvik versie 2.0         " + windows_path(TARVIK_B).lower()
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], exit_code=0,
                                 updated=[FS2000_TARVIK, TARVIK_EXTRA, tarvik_in_program_files(env),
                                          TARVIK_B],
                                 virtual_copies={tarvik_in_program_files(env):
                                                 relative_to_prefix(prefix, area)},
                                 listed=[(True, a_line), (True, b_line)]))


def case_virtual_marker(env, prefix):
    """A's real marker is of version 2.1, its copy in the VirtualStore, which the simulator
    reads, of 2.0: the list shows 2.0, ticked, and the update leaves the simulator the new
    marker."""
    move_fs2002_into_program_files(env, prefix)
    marker = prefix / tarvik_in_program_files(env) / "scenery/qiro.bgl"
    mode = marker.stat().st_mode
    marker.chmod(mode | 0o200)
    os.truncate(marker, 1040543)
    marker.chmod(mode)
    copy = virtual_copy(prefix, tarvik_in_program_files(env) + "/scenery/qiro.bgl")
    copy.parent.mkdir(parents=True)
    copy.write_bytes(bytes(1071681))
    place_package(env, prefix, "drive_c/Tarvik Update")
    line = "Tarvik versie 2.0         " + windows_path(tarvik_in_program_files(env)).lower()
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], exit_code=0,
                                 updated=[FS2000_TARVIK, TARVIK_EXTRA,
                                          tarvik_in_program_files(env)],
                                 virtual_copies={tarvik_in_program_files(env):
                                                 relative_to_prefix(prefix, copy.parents[1])},
                                 listed=[(True, line)]))

