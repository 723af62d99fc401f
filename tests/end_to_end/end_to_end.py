#!/usr/bin/env python3
"""End-to-end test of the installer package under Wine.

  end_to_end.py setup            packages dist/tarvik_installer.exe into WORK/dist and builds the
                                 base Wine prefix WORK/base-prefix (scripts/make-demo-prefix.sh
                                 with obsolete and read-only files, then enrich-prefix.sh)
  end_to_end.py case NAME        copies the base prefix, prepares it, runs the installer under X,
                                 presses Enter, reads and dismisses the message box, and checks
                                 what changed on disk
  end_to_end.py all              setup, then every case
  end_to_end.py list             the cases' names
  end_to_end.py demo --prefix P --dist D
                                 runs D/tarvik_installer.exe in the prefix P: on $DISPLAY when
                                 it works, for the user to press the button, otherwise under a
                                 private Xvfb display, pressing Enter itself; saves screenshots
                                 to screenshots/demo/ and tells which folders were updated and
                                 how long the update took

Options: --windows-build DIR (the program, the library and e2e_window_text.exe), --native-build
DIR (the package tools), --arch win64|win32 (the prefixes' Windows: 64-bit, where the 32-bit
program runs through WoW64, the default; or 32-bit), --work DIR (default WINDOWS_BUILD/e2e, or
e2e-win32), --keep (keep case prefixes), --use-display (run on $DISPLAY instead of a private Xvfb
display). Screenshots go to screenshots/end_to_end/ (or end_to_end-win32/) at the repository's
top.

The prefix, as enriched, lists in this order: FS2000 Tarvik (2.0, ticked), Tarvik V21 (2.1),
D:\\Scenery Extra\\Tarvik (2.0, ticked, named through its scenery sub-folder); FS2002 Tarvik (2.0,
ticked), Tarvik V21 (2.1), D:\\Tarvik (unknown). C:\\Scenery\\Tarvik Old (1.0) is not listed.
"""

import argparse
import hashlib
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile
import zlib
from dataclasses import dataclass, field
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests/support"))
import flush_trace  # noqa: E402
# Wine (32-bit, and 64-bit for WoW64) in the Debian root of scripts/wine-root.
WINE = str(REPO / "scripts/wine-run")
WINESERVER = [WINE, "--server"]
MAIN_TITLE = "Tarvik V2   official update 2"
MESSAGE_TITLE = "tarvik_installer"
SUCCESS = "Update installed successfully"

# Add-on folders, relative to the prefix.
FS2000_TARVIK = "drive_c/Games/FS2000/Addon Scenery/Tarvik"
FS2002_TARVIK = "drive_c/Games/FS2002/Addon Scenery/Tarvik"
TARVIK_V21 = "drive_c/Games/Addons/Tarvik V21"
TARVIK_OLD = "drive_c/Scenery/Tarvik Old"
TARVIK_UNKNOWN = "drive_d/Tarvik"
TARVIK_EXTRA = "drive_d/Scenery Extra/Tarvik"
ALL_ADDONS = [FS2000_TARVIK, FS2002_TARVIK, TARVIK_V21, TARVIK_OLD, TARVIK_UNKNOWN, TARVIK_EXTRA]
TICKED = [FS2000_TARVIK, TARVIK_EXTRA, FS2002_TARVIK]  # in list order

# Wine's own churn, left out of the comparison of the prefix before and after a run.
IGNORED = [
    re.compile(r"^drive_c/windows(/|$)"),
    re.compile(r"^drive_c/users/[^/]+/Temp(/|$)"),
    re.compile(r"^drive_c/users/[^/]+/AppData/Local/Temp(/|$)"),
]


def obsolete_names():
    source = (REPO / "app/obsolete_files.cpp").read_text()
    names = re.findall(r'"([^"]*\.[A-Za-z]{3})"', source)
    assert len(names) == 42, f"expected 42 obsolete file names, found {len(names)}"
    return names


class Failure(Exception):
    pass


# --- Environment ---------------------------------------------------------------------------

class Environment:
    def __init__(self, args):
        self.windows_build = Path(args.windows_build).resolve()
        self.native_build = Path(args.native_build).resolve()
        # The Windows the prefixes play: 64-bit (the program runs through WoW64) or 32-bit.
        self.arch = args.arch
        suffix = "" if self.arch == "win64" else "-" + self.arch
        self.work = Path(args.work or self.windows_build / f"e2e{suffix}").resolve()
        self.keep = args.keep
        self.use_display = args.use_display
        self.dist = self.work / "dist"
        self.base = self.work / "base-prefix"
        self.shots = REPO / "screenshots" / f"end_to_end{suffix}"
        self.xvfb = None

    def wine_env(self, prefix):
        env = dict(os.environ)
        env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all,err+winediag",
                   WINEDLLOVERRIDES="mscoree,mshtml=")
        return env

    def ensure_display(self):
        """A private Xvfb display, so that no other program's window can be taken for the
        installer's; with --use-display the caller's display, to watch."""
        if self.use_display and os.environ.get("DISPLAY") and run_quiet(["xdpyinfo"]) == 0:
            return
        # Xvfb picks a free display itself and writes its number to the pipe.
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24",
                                      "-nolisten", "tcp"], stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True)
        number = self.xvfb.stdout.readline().strip()
        if not number.isdigit():
            raise Failure("Xvfb did not start")
        os.environ["DISPLAY"] = f":{number}"

    def close(self):
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()


def run_quiet(command, **kwargs):
    return subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          **kwargs).returncode


def run_checked(command, **kwargs):
    result = subprocess.run(command, capture_output=True, text=True, **kwargs)
    if result.returncode != 0:
        raise Failure(f"{' '.join(map(str, command))} failed ({result.returncode}):\n"
                      f"{result.stdout}{result.stderr}")
    return result.stdout


def stop_wineserver(env, prefix):
    """Ends every Wine process of the prefix and its wineserver, which writes the registry."""
    run_quiet([*WINESERVER, "-k"], env=env.wine_env(prefix))
    run_quiet([*WINESERVER, "-w"], env=env.wine_env(prefix), timeout=60)


# --- Setup ---------------------------------------------------------------------------------

def setup(env):
    env.work.mkdir(parents=True, exist_ok=True)
    cases = env.work / "cases"
    if cases.exists():
        for old in cases.iterdir():
            stop_wineserver(env, old / "prefix")
        shutil.rmtree(cases)
    if env.shots.exists():
        shutil.rmtree(env.shots)
    start = time.monotonic()
    package_env = dict(os.environ, TARVIK_NO_BUILD="1", TARVIK_DIST=str(env.dist),
                       TARVIK_NATIVE_BUILD=str(env.native_build),
                       TARVIK_WINDOWS_BUILD=str(env.windows_build))
    print(run_checked(["bash", str(REPO / "scripts/package.sh")], env=package_env, cwd=REPO))
    entries = package_entries(env)
    files = [e for e in entries if not e.name.endswith("/")]
    print(f"setup: package holds {len(entries)} entries, {len(files)} files")

    make_base_prefix(env, env.base)
    print(f"setup: done in {time.monotonic() - start:.1f} s")


def make_base_prefix(env, prefix):
    """A new prefix with both simulators and the add-on folders the cases start from."""
    if prefix.exists():
        stop_wineserver(env, prefix)
        shutil.rmtree(prefix)
    prefix_env = env.wine_env(prefix) | {"WINEARCH": env.arch}
    print(run_checked(["bash", str(REPO / "scripts/make-demo-prefix.sh"), str(prefix),
                       "--obsolete-files", "--read-only"], env=prefix_env, cwd=REPO))
    print(run_checked(["bash", str(REPO / "tests/end_to_end/enrich-prefix.sh"), str(prefix)],
                      env=prefix_env, cwd=REPO))
    stop_wineserver(env, prefix)
    system = (prefix / "system.reg").read_text(errors="replace")
    if "Flight Simulator\\\\8.0" not in system:
        raise Failure("the base prefix's registry lacks the simulators' keys")


@dataclass
class Entry:
    crc: int
    size: int
    name: str


def package_entries(env):
    listing = run_checked([str(env.native_build / "bin/tarvik_check_package"),
                           str(env.dist / "tarvik_installer.exe"),
                           str(env.windows_build / "bin/tarvik_installer.exe"),
                           "--list", "--no-extract", "--no-resources"])
    entries = []
    for line in listing.splitlines():
        crc, size, name = line.split(" ", 2)
        entries.append(Entry(int(crc, 16), int(size), name))
    return entries


# --- Snapshots of a prefix -----------------------------------------------------------------

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


# --- Cases ---------------------------------------------------------------------------------

@dataclass
class Expectation:
    message: list  # texts the message box must show
    updated: list = field(default_factory=list)  # add-on folders updated completely
    prepared_only: list = field(default_factory=list)  # scenery attributes reset, nothing else
    # The run's steps (the payload test and each ticked entry): the progress bar's maximum must
    # be that many times the payload's bytes. 0 leaves the maximum unchecked.
    steps: int = 0
    exit_code: int = None  # the installer's exit code; None leaves it unchecked
    # Add-on folders whose copy in the VirtualStore (real folder -> copy) hides some of their
    # files from the simulator: what it sees of them must be the new version.
    virtual_copies: dict = field(default_factory=dict)
    # (ticked, text) of entries the list must show before the run, in this order among others.
    listed: list = field(default_factory=list)


@dataclass
class CaseSetup:
    exe: str  # the installer's Windows path
    start_folder: str  # Unix path of the current folder to start it in, relative to the prefix
    expectation: Expectation
    environment: dict = field(default_factory=dict)  # added to Wine's environment


def place_package(env, prefix, folder, exe_name="tarvik_installer.exe", library=True):
    target = prefix / folder
    target.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(env.dist / "tarvik_installer.exe", target / exe_name)
    if library:
        shutil.copyfile(env.dist / "tarvik_unzip.dll", target / "tarvik_unzip.dll")
    return target / exe_name


def windows_path(relative):
    drive, rest = relative.split("/", 1)
    letter = {"drive_c": "C:", "drive_d": "D:", "drive_e": "E:"}[drive]
    return letter + "\\" + rest.replace("/", "\\")


def append_cfg_lines(prefix, simulator, lines):
    cfg = prefix / f"drive_c/Games/{simulator}/scenery.cfg"
    with open(cfg, "ab") as stream:
        stream.write(("\r\n" + "\r\n".join(lines) + "\r\n").encode("ascii"))


def case_update(env, prefix):
    """The plain run: the package in its own folder, started there, three folders ticked."""
    place_package(env, prefix, "drive_c/Tarvik Update")
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], updated=TICKED, steps=1 + len(TICKED)))


def case_signed(env, prefix):
    """The package step signs the program and the library with a throw-away certificate and
    verifies both signatures; the signed package updates exactly as the unsigned one, its
    library recognised as the one the program was built with."""
    signing = env.work / "signing"
    shutil.rmtree(signing, ignore_errors=True)
    signing.mkdir(parents=True)
    secrets = dict(os.environ, TARVIK_SIGN_PASSWORD="throw-away " + os.urandom(6).hex())
    run_checked(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                 "-subj", "/CN=Tarvik Test Signer/O=Throw-away", "-keyout", "key.pem",
                 "-out", "cert.pem", "-addext", "extendedKeyUsage=codeSigning"], cwd=signing)
    run_checked(["openssl", "pkcs12", "-export", "-inkey", "key.pem", "-in", "cert.pem",
                 "-out", "signer.p12", "-passout", "env:TARVIK_SIGN_PASSWORD"], cwd=signing,
                env=secrets)
    env.dist = env.work / "dist-signed"
    secrets.update(TARVIK_NO_BUILD="1", TARVIK_DIST=str(env.dist),
                   TARVIK_NATIVE_BUILD=str(env.native_build),
                   TARVIK_WINDOWS_BUILD=str(env.windows_build))
    output = run_checked(["bash", str(REPO / "scripts/package.sh"),
                          "--sign-pkcs12", str(signing / "signer.p12")], env=secrets, cwd=REPO)
    print(output)
    for said in ("signed: a signature of", "package sound",
                 "the signature of tarvik_installer.exe verified; signed by /CN=Tarvik Test "
                 "Signer/O=Throw-away",
                 "the signature of tarvik_unzip.dll verified; signed by /CN=Tarvik Test "
                 "Signer/O=Throw-away"):
        if said not in output:
            raise Failure(f"the package step did not say {said!r}")
    place_package(env, prefix, "drive_c/Tarvik Update")
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], updated=TICKED, steps=1 + len(TICKED)))


def case_same_folder_twice(env, prefix):
    """FS2002's configuration names the FS2000 add-on folder too: two ticked entries, one folder."""
    append_cfg_lines(prefix, "FS2002", ["[Area.006]", "Title=Tarvik (FS2000 copy)",
                                        "Local=C:\\Games\\FS2000\\Addon Scenery\\Tarvik",
                                        "Layer=6", "Active=TRUE"])
    place_package(env, prefix, "drive_c/Tarvik Update")
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], updated=TICKED))


def case_missing_texture(env, prefix):
    """The second ticked folder has no texture sub-folder: the run stops there."""
    shutil.rmtree(prefix / TARVIK_EXTRA / "texture")
    place_package(env, prefix, "drive_c/Tarvik Update")
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation(["Run-time error '76'", "Path not found"],
                                 updated=[FS2000_TARVIK], prepared_only=[TARVIK_EXTRA]))


def case_renamed_elsewhere(env, prefix):
    """The package saved under another name on drive D:, started from C:\\Games."""
    place_package(env, prefix, "drive_d/Downloads", "Tarvik update (2).exe")
    return CaseSetup("D:\\Downloads\\Tarvik update (2).exe", "drive_c/Games",
                     Expectation([SUCCESS], updated=TICKED))


# The recording DLL (planted_dll.c): put beside the installer under a DLL's name, it appends the
# path it was loaded from to this file whenever it is loaded.
PLANTED_LOG = "drive_c/planted-dlls.log"
LIBRARY_REFUSED = 5  # the installer's exit code for a missing or foreign unzip library


def plant(env, folder, name):
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(env.windows_build / "bin/e2e_planted.dll", folder / name)


def refused_library(what):
    return Expectation(["Run-time error '48'", f"The unzip library C:\\Downloads\\tarvik_unzip.dll "
                        f"{what}: download both files of the update again."],
                       exit_code=LIBRARY_REFUSED)


def case_library_missing(env, prefix):
    """The package without tarvik_unzip.dll beside it, started from another folder that holds a
    tarvik_unzip.dll, with another one in a folder on PATH: neither is loaded, the report says
    the library is missing and nothing changes (a planted library's load would be written to
    C:\\planted-dlls.log)."""
    place_package(env, prefix, "drive_c/Downloads", library=False)
    plant(env, prefix / "drive_c/Elsewhere", "tarvik_unzip.dll")
    plant(env, prefix / "drive_c/On Path", "tarvik_unzip.dll")
    return CaseSetup("C:\\Downloads\\tarvik_installer.exe", "drive_c/Elsewhere",
                     refused_library("is missing"), {"WINEPATH": "C:\\On Path"})


def case_library_replaced(env, prefix):
    """The library beside the installer replaced by another DLL with the same entry points: it is
    refused before it is loaded, and nothing changes."""
    place_package(env, prefix, "drive_c/Downloads")
    plant(env, prefix / "drive_c/Downloads", "tarvik_unzip.dll")
    return CaseSetup("C:\\Downloads\\tarvik_installer.exe", "drive_c/Downloads",
                     refused_library("is not the one this installer was built with"))


def case_links_in_folder(env, prefix):
    """The FS2000 folder holds links to read-only files outside it, named like staging leftovers
    in both sub-folders and like an obsolete file: the update resets and deletes none of them,
    and the files they point to stay as they were, attributes and all."""
    outside = prefix / "drive_c/Outside"
    outside.mkdir()
    names = {"scenery/~tvk0badf00d.tmp": "leftover.tmp", "texture/~tvk12345678.tmp": "texture.tmp",
             f"scenery/{obsolete_names()[0]}": "obsolete.bgl"}
    for link, target in names.items():
        (outside / target).write_bytes(b"the user's own file, outside the add-on")
        (outside / target).chmod(0o444)
        path = prefix / FS2000_TARVIK / link
        path.unlink(missing_ok=True)  # the obsolete file of that name, where there is one
        path.symlink_to(os.path.relpath(outside / target, path.parent))
    place_package(env, prefix, "drive_c/Tarvik Update")
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], updated=TICKED, exit_code=0))


def case_damaged_payload(env, prefix):
    """One byte of an entry's compressed data flipped: the archive test fails before any change."""
    exe = place_package(env, prefix, "drive_c/Tarvik Update")
    data = bytearray(exe.read_bytes())
    program_length = (env.windows_build / "bin/tarvik_installer.exe").stat().st_size
    data[program_length + (len(data) - program_length) // 2] ^= 0x5A
    exe.write_bytes(bytes(data))
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation(["The update cannot be installed",
                                  "the installer's own archive cannot be read",
                                  "Nothing was changed."]))


def list_fs2000_tarvik_only(prefix):
    """Takes the lines naming the other two ticked folders out of the scenery.cfg files."""
    for simulator, line in (("FS2000", "Local=D:\\Scenery Extra\\Tarvik\\scenery"),
                            ("FS2002", "Local=Addon Scenery\\Tarvik")):
        cfg = prefix / f"drive_c/Games/{simulator}/scenery.cfg"
        text = cfg.read_bytes().replace(line.encode() + b"\r\n", b"")
        cfg.write_bytes(text)


def case_one_folder(env, prefix):
    """Only the FS2000 folder is ticked: the time of one folder's update."""
    list_fs2000_tarvik_only(prefix)
    place_package(env, prefix, "drive_c/Tarvik Update")
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], updated=[FS2000_TARVIK]))


def case_cyrillic_folder(env, prefix):
    """The package in a folder whose name code page 1252 cannot spell, started there: the library
    is handed the folder's short name. Wine's locale is set to C.UTF-8: Windows code page 1252
    for the program, UTF-8 for the names on disk."""
    folder = "drive_c/Дмитрий/Загрузки"
    place_package(env, prefix, folder)
    return CaseSetup(windows_path(folder) + "\\tarvik_installer.exe", folder,
                     Expectation([SUCCESS], updated=TICKED), {"LC_ALL": "C.UTF-8"})


def case_full_list(env, prefix):
    """FS2000's scenery.cfg gains 40001 matching lines: the lists stop at 32767 entries, whose
    last one, FS2002's add-on folder, is ticked and updated; the lines after it are dropped."""
    unticked = 32767 - 4  # after FS2000's three entries, up to the one before the last
    lines = ["Local=C:\\Games\\Addons\\Tarvik V21"] * unticked
    lines += ["Local=C:\\Games\\FS2002\\Addon Scenery\\Tarvik"] * (40001 - unticked)
    append_cfg_lines(prefix, "FS2000", lines)
    place_package(env, prefix, "drive_c/Tarvik Update")
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], updated=TICKED))


# --- What the simulator sees: the VirtualStore ----------------------------------------------
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
    """FS2002 below the 32-bit programs' Program Files; the copy of its scenery.cfg in the VirtualStore names
    area B (C:\\Addons\\TarvikB, 2.0) too, and copies of a payload texture (old contents) and of
    an obsolete file hide A's real ones. A and B are offered and ticked; afterwards the
    simulator's view of A holds every file new and no obsolete one, and both scenery.cfg files
    are as they were."""
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
                                 updated=[FS2000_TARVIK, TARVIK_EXTRA, tarvik_in_program_files(env)],
                                 virtual_copies={tarvik_in_program_files(env):
                                                 relative_to_prefix(prefix, copy.parents[1])},
                                 listed=[(True, line)]))


CASES = {
    "update": case_update,
    "signed": case_signed,
    "same_folder_twice": case_same_folder_twice,
    "missing_texture": case_missing_texture,
    "renamed_elsewhere": case_renamed_elsewhere,
    "library_missing": case_library_missing,
    "library_replaced": case_library_replaced,
    "links_in_folder": case_links_in_folder,
    "damaged_payload": case_damaged_payload,
    "one_folder": case_one_folder,
    "cyrillic_folder": case_cyrillic_folder,
    "full_list": case_full_list,
    "virtual_store": case_virtual_store,
    "virtual_marker": case_virtual_marker,
}


# --- Running the installer -----------------------------------------------------------------

def find_window(title_pattern, timeout):
    """The first visible window whose title matches, looked for every 50 ms (xdotool's own
    --sync looks only every half second, too coarse for the timings); None after the timeout."""
    deadline = time.monotonic() + timeout
    while True:
        result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title_pattern],
                                capture_output=True, text=True)
        if result.returncode == 0 and result.stdout.split():
            return result.stdout.split()[0]
        if time.monotonic() > deadline:
            return None
        time.sleep(0.05)


def visible_window_names():
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."],
                         capture_output=True, text=True).stdout.split()
    names = [subprocess.run(["xdotool", "getwindowname", id], capture_output=True,
                            text=True).stdout.strip() for id in ids]
    return ", ".join(repr(name) for name in names) or "none"


def screenshot(env, name):
    """A picture of the whole screen; the windows float on it as placed."""
    env.shots.mkdir(parents=True, exist_ok=True)
    path = env.shots / f"{name}.png"
    run_quiet(["import", "-window", "root", str(path)])
    return path


def window_helper(env, prefix, *arguments):
    helper = env.windows_build / "bin/e2e_window_text.exe"
    return subprocess.run([WINE, str(helper), *arguments], capture_output=True, text=True,
                          env=env.wine_env(prefix), timeout=60)


def read_window(env, prefix, *arguments):
    return window_helper(env, prefix, *arguments).stdout


def press(env, prefix, button, title=MAIN_TITLE):
    """Clicks a button of a window of the installer; False when there is none."""
    return window_helper(env, prefix, "--press", button, title).returncode == 0


def list_entries(env, prefix):
    """(ticked, text) of every entry of the main window's list."""
    entries = []
    for line in read_window(env, prefix, "--list-entries", MAIN_TITLE).splitlines():
        found = re.match(r"^SysListView32 item: \[(x| )\] (.*)$", line)
        if found:
            entries.append((found[1] == "x", found[2]))
    return entries


def check_listed(expectation, entries):
    """Each expected entry is shown, ticked or not as expected, after the one before it."""
    problems, at = [], 0
    for ticked, text in expectation.listed:
        found = next((i for i in range(at, len(entries)) if text in entries[i][1]), None)
        if found is None:
            problems.append(f"the list does not show {text!r} (in order); it shows {entries}")
        elif entries[found][0] != ticked:
            problems.append(f"the list shows {text!r} {'un' if ticked else ''}ticked")
        else:
            at = found + 1
    return problems


def read_message(env, prefix):
    return read_window(env, prefix, MESSAGE_TITLE).replace("\\n", "\n")


@dataclass
class Bar:
    shown: bool
    position: int
    maximum: int
    state: str


def progress_bar(env, prefix):
    """The main window's progress bar as another process reads it; None when there is none."""
    for line in read_window(env, prefix, MAIN_TITLE).splitlines():
        found = re.match(r"^msctls_progress32( \[hidden\])?: (\d+)/(\d+) (\w+)$", line)
        if found:
            return Bar(not found[1], int(found[2]), int(found[3]), found[4])
    return None


def window_gone(window):
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                             "^" + MESSAGE_TITLE + "$"], capture_output=True, text=True)
    return window not in result.stdout.split()


def start_desktop(env, prefix):
    """Starts the prefix's Wine desktop, kept for a minute after its last program ends. Under
    load, Wine's desktop process now and then fails to load its display driver as it starts;
    every window of that Wine session then fails. Such a start is ended and made again."""
    probe = [WINE, str(env.windows_build / "bin/e2e_window_text.exe"), "--can-create-window"]
    for _ in range(3):
        run_quiet([*WINESERVER, "-p60"], env=env.wine_env(prefix))
        if run_quiet(probe, env=env.wine_env(prefix), timeout=60) == 0:
            return
        print("note: Wine's desktop started without its display driver; starting it again")
        stop_wineserver(env, prefix)
    raise Failure("Wine could not make a window on the display in three starts")


class Session:
    """One start of the installer in a case's prefix, driven by keys as a user would."""

    def __init__(self, env, name, prefix, exe, start_folder, environment=None, wrapper=(),
                 arguments=()):
        self.env, self.name, self.prefix = env, name, prefix
        start_desktop(env, prefix)
        self.log = prefix.parent / "wine-output.txt"
        with open(self.log, "ab") as log:
            self.process = subprocess.Popen([*wrapper, WINE, exe, *arguments],
                                            cwd=prefix / start_folder,
                                            env=env.wine_env(prefix) | (environment or {}),
                                            stdout=log, stderr=subprocess.STDOUT,
                                            stdin=subprocess.DEVNULL)
        self.window = find_window("^" + re.escape(MAIN_TITLE) + "$", 90)
        if not self.window:
            shot = screenshot(env, f"{name}-no-window")
            state = self.process.poll()
            self.close()
            raise Failure("the installer's window did not appear within 90 s; the program "
                          + ("was still running" if state is None else f"ended with {state}")
                          + f"; screen: {shot}; visible windows: {visible_window_names()}"
                          + f"; Wine's output:\n{self.log.read_text(errors='replace')[-3000:]}")
        run_quiet(["xdotool", "mousemove", "0", "0"])  # no tooltip over the list
        time.sleep(1.5)  # let it paint

    def press_install(self):
        run_quiet(["xdotool", "key", "--window", self.window, "Return"])

    def wait_box(self, shot, after=None, timeout=300):
        """The next box titled like the program (a message or a question), once the box
        `after` is gone, with its texts."""
        deadline = time.monotonic() + timeout
        while after and not window_gone(after) and time.monotonic() < deadline:
            time.sleep(0.05)
        box = find_window("^" + MESSAGE_TITLE + "$", max(1, deadline - time.monotonic()))
        if not box:
            screenshot(self.env, f"{self.name}-no-message")
            raise Failure(f"no message box appeared within {timeout} s")
        self.box_seen_at = time.monotonic()
        time.sleep(0.5)
        screenshot(self.env, f"{self.name}-{shot}")
        return box, read_message(self.env, self.prefix)

    def answer(self, box, key):
        run_quiet(["xdotool", "key", "--window", box, key])

    def exit_code(self):
        try:
            return self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            screenshot(self.env, f"{self.name}-still-running")
            raise Failure("the installer did not end within 30 s of the last answer")

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()


@dataclass
class RunResult:
    message: str
    seconds: float
    exit_code: int
    bars: dict  # the progress bar before the run, during it and when the message showed
    listed: list  # the list's entries before the run, where the case reads them


def run_installer(env, name, prefix, setup_info, during_shot):
    with Session(env, name, prefix, setup_info.exe, setup_info.start_folder,
                 setup_info.environment) as session:
        screenshot(env, f"{name}-1-window")
        bars = {"before": progress_bar(env, prefix)}
        listed = list_entries(env, prefix) if setup_info.expectation.listed else []
        start = time.monotonic()
        session.press_install()
        if during_shot:
            time.sleep(0.4)
            screenshot(env, f"{name}-2-during")
            if not find_window("^" + MESSAGE_TITLE + "$", 0):
                bars["during"] = progress_bar(env, prefix)
        box, message = session.wait_box("3-message")
        seconds = session.box_seen_at - start
        bars["message"] = progress_bar(env, prefix)
        session.answer(box, "Return")
        return RunResult(message, seconds, session.exit_code(), bars, listed)


# --- Checking the outcome ------------------------------------------------------------------

class Checker:
    def __init__(self, env, prefix, before, after, expectation):
        self.env = env
        self.prefix = prefix
        self.before = before
        self.after = after
        self.expectation = expectation
        self.problems = []
        self.payload = [e for e in package_entries(env) if not e.name.endswith("/")]
        self.obsolete = {name.lower() for name in obsolete_names()}

    def problem(self, text):
        self.problems.append(text)

    def run(self):
        allowed = [f"{folder}/{sub}" for folder in self.expectation.updated
                   for sub in ("scenery", "texture")]
        allowed += [f"{folder}/scenery" for folder in self.expectation.prepared_only]
        allowed += [f"{copy}/{sub}" for copy in self.expectation.virtual_copies.values()
                    for sub in ("scenery", "texture")]
        self.check_nothing_else_changed(allowed)
        for folder in self.expectation.updated:
            self.check_updated(folder)
        for folder, copy in self.expectation.virtual_copies.items():
            self.check_simulator_view(folder, copy)
        for folder in self.expectation.prepared_only:
            self.check_prepared_only(folder)
        return self.problems

    def check_nothing_else_changed(self, allowed):
        def inside_allowed(path):
            return any(path == area or path.startswith(area + "/") for area in allowed)
        changed = sorted(path for path in set(self.before) | set(self.after)
                         if self.before.get(path) != self.after.get(path))
        outside = [path for path in changed if not inside_allowed(path)]
        for path in outside[:20]:
            was, now = self.before.get(path), self.after.get(path)
            what = "added" if was is None else "removed" if now is None else "changed"
            self.problem(f"{what} outside the updated folders: {path}")
        if len(outside) > 20:
            self.problem(f"... and {len(outside) - 20} more changes outside the updated folders")

    def files_in(self, snapshot_items, folder):
        prefix = folder + "/"
        return {path[len(prefix):]: item for path, item in snapshot_items.items()
                if path.startswith(prefix) and "/" not in path[len(prefix):]}

    def check_updated(self, folder):
        for sub in ("scenery", "texture"):
            area = f"{folder}/{sub}"
            before = self.files_in(self.before, area)
            after = self.files_in(self.after, area)
            after_lower = {name.lower(): name for name in after}
            payload_names = set()
            for entry in self.payload:
                if not entry.name.startswith(sub + "/"):
                    continue
                bare = entry.name[len(sub) + 1:]
                payload_names.add(bare.lower())
                found = after_lower.get(bare.lower())
                if found is None:
                    self.problem(f"{area}: {bare} was not extracted")
                    continue
                item = after[found]
                path = self.prefix / area / found
                if item.size != entry.size or zlib.crc32(path.read_bytes()) != entry.crc:
                    self.problem(f"{area}/{found}: size or CRC-32 differs from the archive")
                if not writable(item) or hidden(item):
                    self.problem(f"{area}/{found}: extracted read-only or hidden")
            # A link is the user's: the update leaves it, and what it points to, as it was.
            links = {name for name, item in before.items() if item.kind == "link"}
            for name in links:
                if after.get(name) != before[name]:
                    self.problem(f"{area}/{name}: a link was changed or removed")
            for name, item in before.items():
                lower = name.lower()
                if name in links:
                    continue
                if sub == "scenery" and lower in self.obsolete:
                    if name in after:
                        self.problem(f"{area}/{name}: an obsolete file was left")
                    continue
                if lower in payload_names:
                    continue
                now = after.get(name)
                if now is None:
                    self.problem(f"{area}/{name}: a file of the add-on was removed")
                elif now.digest != item.digest:
                    self.problem(f"{area}/{name}: a file outside the archive was changed")
                elif not writable(now) or hidden(now):
                    self.problem(f"{area}/{name}: its attributes were not reset")
            kept = ({name.lower() for name in before} - self.obsolete - payload_names
                    | {name.lower() for name in links})
            for name in after:
                if name.lower() not in kept and name.lower() not in payload_names:
                    self.problem(f"{area}/{name}: a file that is neither the archive's nor was "
                                 f"there before")
        sub_folders = {path for path, item in self.after.items()
                       if path.startswith(folder + "/") and item.kind == "dir"}
        expected = {f"{folder}/scenery", f"{folder}/texture"}
        if sub_folders != expected:
            self.problem(f"{folder}: sub-folders {sorted(sub_folders - expected)} appeared")

    def check_simulator_view(self, folder, copy):
        """What the simulator sees of the folder, its copy's file of a name where there is one,
        else the real file: every file of the archive as the archive has it, no obsolete file."""
        for sub in ("scenery", "texture"):
            seen = {name.lower(): f"{folder}/{sub}/{name}"
                    for name in self.files_in(self.after, f"{folder}/{sub}")}
            seen.update({name.lower(): f"{copy}/{sub}/{name}"
                         for name in self.files_in(self.after, f"{copy}/{sub}")})
            for entry in self.payload:
                if not entry.name.startswith(sub + "/"):
                    continue
                path = seen.get(entry.name[len(sub) + 1:].lower())
                if path is None:
                    self.problem(f"the simulator does not see {folder}/{entry.name}")
                elif zlib.crc32((self.prefix / path).read_bytes()) != entry.crc:
                    self.problem(f"the simulator sees {path}, not the archive's {entry.name}")
            for name, path in seen.items():
                if sub == "scenery" and name in self.obsolete:
                    self.problem(f"the simulator still sees the obsolete file {path}")

    def check_folder(self, folder):
        """The problems of one folder that should be completely updated."""
        self.problems = []
        self.check_updated(folder)
        return self.problems

    def check_prepared_only(self, folder):
        area = f"{folder}/scenery"
        before = self.files_in(self.before, area)
        after = self.files_in(self.after, area)
        if set(before) != set(after):
            self.problem(f"{area}: files were added or removed: "
                         f"{sorted(set(before) ^ set(after))[:5]}")
        for name in set(before) & set(after):
            if before[name].digest != after[name].digest:
                self.problem(f"{area}/{name}: changed although the run stopped before it")
            if not writable(after[name]):
                self.problem(f"{area}/{name}: still read-only")


def check_message(expectation, message):
    return [f"the message box does not say {text!r}; it says {message!r}"
            for text in expectation.message if text not in message]


def check_progress(env, expectation, bars):
    """Hidden before the run, shown during it; full at the success message, in its error
    state at a failure's."""
    before, at_message = bars["before"], bars["message"]
    problems = []
    if before is None or before.shown:
        problems.append(f"before the run the progress bar is {before}, not there and hidden")
    if "during" in bars and not (bars["during"] and bars["during"].shown):
        problems.append(f"during the run the progress bar is {bars['during']}, not shown")
    if at_message is None or not at_message.shown:
        return problems + [f"at the message the progress bar is {at_message}, not shown"]
    if SUCCESS in expectation.message:
        if at_message.position != at_message.maximum or at_message.state != "normal":
            problems.append(f"at the success message the progress bar is {at_message}, not full")
        # The listing's sizes, which the run counts, are the members' extracted bytes.
        with zipfile.ZipFile(env.dist / "tarvik_installer.exe") as archive:
            payload_bytes = sum(member.file_size for member in archive.infolist())
        if expectation.steps and at_message.maximum != expectation.steps * payload_bytes:
            problems.append(f"the progress bar counts {at_message.maximum} bytes, not "
                            f"{expectation.steps} x {payload_bytes}")
    elif at_message.state != "error":
        problems.append(f"at the failure's message the progress bar is {at_message}, "
                        f"not in its error state")
    return problems


def fresh_case_prefix(env, name):
    """The case's own copy of the base prefix, in a folder of its own."""
    case_root = env.work / "cases" / name
    prefix = case_root / "prefix"
    if case_root.exists():
        stop_wineserver(env, prefix)
        shutil.rmtree(case_root)
    case_root.mkdir(parents=True)
    if not (env.base / "system.reg").exists():
        raise Failure(f"no base prefix in {env.base}; run the setup first")
    run_checked(["cp", "-a", str(env.base), str(prefix)])
    return case_root, prefix


def run_case(env, name):
    case_root, prefix = fresh_case_prefix(env, name)
    setup_info = CASES[name](env, prefix)
    before = snapshot(prefix)
    env.ensure_display()
    try:
        result = run_installer(env, name, prefix, setup_info,
                               during_shot=name in ("update", "signed"))
    finally:
        stop_wineserver(env, prefix)
    problems = planted_dll_loads(prefix)
    after = snapshot(prefix)
    problems += check_message(setup_info.expectation, result.message)
    if setup_info.expectation.exit_code is not None:
        expect_code(problems, "the run", result.exit_code, setup_info.expectation.exit_code)
    problems += check_progress(env, setup_info.expectation, result.bars)
    problems += check_listed(setup_info.expectation, result.listed)
    problems += Checker(env, prefix, before, after, setup_info.expectation).run()
    timing = f"{name}: {result.seconds:.2f} s from Enter to the message box"
    print(f"timing: {timing}")
    with open(env.work / "timings.txt", "a") as log:
        log.write(timing + "\n")
    print(f"message: {result.message.strip()!r}; the installer ended with exit code "
          f"{result.exit_code}")
    if problems:
        for problem in problems:
            print(f"problem: {problem}")
        raise Failure(f"case {name}: {len(problems)} problems (prefix kept in {prefix})")
    if not env.keep:
        shutil.rmtree(case_root)
    print(f"case {name}: passed")


# --- Faults: a held file, a protected folder, a full volume, a killed run ------------------

class Skipped(Exception):
    """The fault cannot be made on this machine; the case says so and why."""


SKIPPED = 77  # CTest reports the case as skipped (SKIP_RETURN_CODE)
RELEASE = "release-hold"


def as_windows(unix_path):
    """A Unix path as Wine's Z: drive shows it."""
    return "Z:" + str(unix_path).replace("/", "\\")


def expect_texts(problems, what, message, texts):
    """Folder paths appear as the scan lists them, in lower case."""
    for text in texts:
        if text.lower() not in message.lower():
            problems.append(f"{what} does not say {text!r}; it says {message!r}")


def expect_code(problems, what, code, expected):
    if code != expected:
        problems.append(f"{what}: exit code {code}, expected {expected}")


def update_succeeds(session, problems):
    """Presses the button; the success message shows and, dismissed, ends the program with 0."""
    session.press_install()
    box, message = session.wait_box("3-message")
    expect_texts(problems, "the final message", message, [SUCCESS])
    session.answer(box, "Return")
    expect_code(problems, "after the update", session.exit_code(), 0)


def cancel_changes_nothing(env, name, prefix, exe, start, texts, problems):
    """Starts the installer, expects the question with its texts, cancels it and checks that
    the prefix is as it was."""
    before = snapshot(prefix)
    with Session(env, name, prefix, exe, start) as session:
        session.press_install()
        box, question = session.wait_box("1-question")
        expect_texts(problems, "the question", question, texts)
        session.answer(box, "Escape")
        expect_code(problems, "after Cancel", session.exit_code(), 2)
    problems += Checker(env, prefix, before, snapshot(prefix), Expectation([])).run()
    return before


def update_completes(env, name, prefix, exe, start, before, updated, problems, release=None):
    """Starts the installer and presses the button without ticking anything; with release, a
    question comes first, release() mends its cause and Retry goes on. Every ticked folder and
    updated ends as the archive has it."""
    with Session(env, name, prefix, exe, start) as session:
        session.press_install()
        box = None
        if release:
            box, _ = session.wait_box("2-question")
            release()
            session.answer(box, "Return")  # Retry, the default button
        box, message = session.wait_box("3-message", after=box)
        expect_texts(problems, "the final message", message, [SUCCESS])
        session.answer(box, "Return")
        expect_code(problems, "after the update", session.exit_code(), 0)
    stop_wineserver(env, prefix)
    problems += Checker(env, prefix, before, snapshot(prefix),
                        Expectation([], updated=TICKED + updated)).run()


def fault_file_in_use(env, name, case_root, prefix):
    """FS2002's marker file held open without sharing, as a running simulator does: Cancel
    changes nothing; Retry once the holder lets go updates every ticked folder."""
    place_package(env, prefix, "drive_c/Tarvik Update")
    exe, start = "C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update"
    held = windows_path(FS2002_TARVIK + "/scenery/qiro.bgl")
    release = case_root / RELEASE
    holder = subprocess.Popen([WINE, str(env.windows_build / "bin/e2e_hold_file.exe"), held,
                               as_windows(release)], env=env.wine_env(prefix),
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    problems = []
    try:
        if holder.stdout.readline().strip() != "holding":
            raise Failure("the helper could not hold " + held)
        before = cancel_changes_nothing(env, name, prefix, exe, start,
                                        ["another program is using", held, "Retry"], problems)

        def let_go():
            release.touch()
            holder.wait(timeout=30)
        update_completes(env, name, prefix, exe, start, before, [], problems, release=let_go)
    finally:
        release.touch()
        if holder.poll() is None:
            holder.kill()
        holder.wait()
    return problems


def make_immutable(folder):
    """A folder that even root cannot change (chattr -i undoes it)."""
    result = subprocess.run(["chattr", "+i", str(folder)], capture_output=True, text=True)
    if result.returncode != 0:
        raise Skipped(f"chattr +i is not permitted here: {result.stderr.strip()}")
    return folder


def fault_protected_folder(env, name, case_root, prefix):
    """FS2002's scenery folder is one that even root cannot change: the question offers
    administrator rights, and Cancel changes nothing."""
    place_package(env, prefix, "drive_c/Tarvik Update")
    folder = make_immutable(prefix / FS2002_TARVIK / "scenery")
    problems = []
    try:
        cancel_changes_nothing(env, name, prefix, "C:\\Tarvik Update\\tarvik_installer.exe",
                               "drive_c/Tarvik Update",
                               ["may not change", windows_path(FS2002_TARVIK + "/scenery"),
                                "administrator rights", "Run as administrator"], problems)
    finally:
        subprocess.run(["chattr", "-i", str(folder)])
    return problems


def fault_small_volume(env, name, case_root, prefix):
    """A Tarvik folder on drive E:, a volume too small for the update: nothing changes and the
    question names the drive with the bytes needed and free; once the volume has grown, a new
    run updates every folder."""
    volume = prefix / "drive_e"
    volume.mkdir()
    result = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=24m", "tmpfs", str(volume)],
                            capture_output=True, text=True)
    if result.returncode != 0:
        volume.rmdir()
        raise Skipped(f"a small volume cannot be mounted here: {result.stderr.strip()}")
    problems = []
    try:
        shutil.copytree(prefix / FS2000_TARVIK, volume / "Tarvik", symlinks=True)
        (prefix / "dosdevices/e:").symlink_to("../drive_e")
        append_cfg_lines(prefix, "FS2000", ["[Area.007]", "Title=Tarvik (E:)",
                                            "Local=E:\\Tarvik", "Layer=7", "Active=TRUE"])
        place_package(env, prefix, "drive_c/Tarvik Update")
        exe, start = "C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update"
        before = cancel_changes_nothing(env, name, prefix, exe, start,
                                        ["drive E: does not have enough free space",
                                         "Needed: ", "Free: "], problems)
        run_checked(["mount", "-o", "remount,size=256m", str(volume)])
        update_completes(env, name, prefix, exe, start, before, ["drive_e/Tarvik"], problems)
    finally:
        stop_wineserver(env, prefix)
        subprocess.run(["umount", "-l", str(volume)])
    return problems


def staging_files(folder):
    return [path for path in folder.rglob("~tvk*.tmp") if re.fullmatch(
        r"~tvk[0-9a-fA-F]{8}\.tmp", path.name)]


def fault_killed_run(env, name, case_root, prefix):
    """The installer is killed while it extracts into the first folder: that folder keeps its
    old version mark, the next run offers it ticked and completes it, and no staging file is
    left; a file of the user's with a similar name stays."""
    place_package(env, prefix, "drive_c/Tarvik Update")
    exe, start = "C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update"
    first = prefix / FS2000_TARVIK
    (first / "texture/~tvk notes.tmp").write_bytes(b"the user's own notes")
    before = snapshot(prefix)
    problems = []
    with Session(env, name, prefix, exe, start) as session:
        session.press_install()
        deadline = time.monotonic() + 120
        while not staging_files(first) and time.monotonic() < deadline:
            time.sleep(0.005)
        session.close()  # SIGKILL, in the middle of the first folder
    stop_wineserver(env, prefix)
    if (first / "scenery/qiro.bgl").stat().st_size != 1071681:
        problems.append("the killed folder's marker is no longer that of version 2.0")
    # A leftover of our own, whether or not the kill left one.
    (first / "texture/~tvk0badf00d.tmp").write_bytes(b"half a file")
    update_completes(env, name, prefix, exe, start, before, [], problems)
    problems += [f"a staging file was left: {path}" for path in staging_files(prefix)]
    return problems


STAGING_NAME = re.compile(r"~tvk[0-9a-f]{8}\.tmp$")
LEFTOVER = "~tvk0badf00d.tmp"


def files_held_briefly(milliseconds):
    """A virus scanner's doing: a helper holds every file of the ticked folders that is made,
    written, renamed or reset, for a moment and without sharing its deletion, as the update
    goes; a read-only staging leftover in each folder calls it to the reset too. The update ends
    with its success message and 0, every ticked folder as the archive has it, no staging file
    left. The helper must have held staged files, obsolete files and the leftovers."""
    def fault(env, name, case_root, prefix):
        place_package(env, prefix, "drive_c/Tarvik Update")
        before = snapshot(prefix)
        for folder in TICKED:
            (prefix / folder / "texture" / LEFTOVER).write_bytes(b"half a file")
            (prefix / folder / "texture" / LEFTOVER).chmod(0o444)
        stop = case_root / "stop-holding"
        holder = subprocess.Popen([WINE, str(env.windows_build / "bin/e2e_hold_new_files.exe"),
                                   str(milliseconds), as_windows(stop),
                                   *[windows_path(folder) for folder in TICKED]],
                                  env=env.wine_env(prefix), stdout=subprocess.PIPE, text=True)
        problems = []
        try:
            if holder.stdout.readline().strip() != "watching":
                raise Failure("the helper could not watch the add-on folders")
            with Session(env, name, prefix, "C:\\Tarvik Update\\tarvik_installer.exe",
                         "drive_c/Tarvik Update") as session:
                update_succeeds(session, problems)
        finally:
            stop.touch()
            output = holder.communicate(timeout=60)[0]
        held = {line.rsplit("\\", 1)[-1].lower() for line in output.splitlines()}
        print(f"the helper held {len(held)} files")
        for what, found in (("a staged file", any(map(STAGING_NAME.match, held - {LEFTOVER}))),
                            ("an obsolete file", held & {n.lower() for n in obsolete_names()}),
                            ("a staging leftover", LEFTOVER in held)):
            if not found:
                problems.append(f"the helper never held {what}: the case showed nothing")
        stop_wineserver(env, prefix)
        return problems + Checker(env, prefix, before, snapshot(prefix),
                                  Expectation([], updated=TICKED)).run()
    return fault


def fault_no_display(env, name, case_root, prefix):
    """Wine reaches no display, so the window cannot be made: the installer says so and ends
    with 1 at once, rather than waiting unseen for messages, and changes nothing."""
    exe = place_package(env, prefix, "drive_c/Tarvik Update")
    before = snapshot(prefix)
    environment = env.wine_env(prefix)
    del environment["DISPLAY"]
    try:
        code = subprocess.run([WINE, str(exe)], cwd=exe.parent, env=environment, timeout=60,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    except subprocess.TimeoutExpired:
        return ["the installer was still running 60 s after it started without a display"]
    problems = []
    expect_code(problems, "without a display", code, 1)
    stop_wineserver(env, prefix)
    return problems + Checker(env, prefix, before, snapshot(prefix), Expectation([])).run()


# DLLs that Windows always maps from its system folder (its KnownDLLs), whatever lies beside a
# program. Wine 8 takes some of them from the program's folder before the program's first
# instruction; that is Wine's own behaviour, told but not counted.
WINDOWS_KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll", "gdi32.dll",
    "gdiplus.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll", "msctf.dll", "msvcrt.dll",
    "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll",
    "sechost.dll", "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "wldap32.dll", "ws2_32.dll"}

# Loaded by name after start-up, by the installer or by Windows on its behalf (the Restart
# Manager, CryptoAPI's provider, themes, the taskbar button, fonts, input methods), or taken from
# the program's folder by Wine; planted besides every DLL that either binary imports.
LOADED_BY_NAME = [
    "RstrtMgr.dll", "rsaenh.dll", "cryptsp.dll", "cryptbase.dll", "bcrypt.dll", "crypt32.dll",
    "wintrust.dll", "uxtheme.dll", "version.dll", "shcore.dll", "dwmapi.dll", "propsys.dll",
    "explorerframe.dll", "windowscodecs.dll", "msimg32.dll", "imm32.dll", "msctf.dll",
    "oleacc.dll", "userenv.dll", "profapi.dll", "sspicli.dll", "secur32.dll", "netapi32.dll",
    "winmm.dll", "dbghelp.dll", "iertutil.dll", "urlmon.dll", "wininet.dll", "mpr.dll",
    "textinputframework.dll", "dwrite.dll", "usp10.dll", "comdlg32.dll", "oleaut32.dll",
    "shlwapi.dll", "setupapi.dll", "winspool.drv", "combase.dll", "kernelbase.dll", "rpcrt4.dll",
    "sechost.dll", "ucrtbase.dll", "win32u.dll", "zlib1.dll", "winex11.drv"]


def imported_dlls(binary):
    listing = run_checked(["x86_64-w64-mingw32-objdump", "-p", str(binary)])
    return re.findall(r"DLL Name: (\S+)", listing)


def planted_dll_loads(prefix):
    """The problems of planted DLLs that were loaded: none but Wine's own takings of KnownDLLs,
    which are told. Removes the log, a file of the test's."""
    log = prefix / PLANTED_LOG
    if not log.exists():
        return []
    problems = []
    for line in log.read_text(errors="replace").splitlines():
        path = line.rsplit(" ", 1)[0] if line.endswith(" loaded") else line
        name = path.replace("\\", "/").rsplit("/", 1)[-1].lower()
        if line.endswith(" loaded") and name in WINDOWS_KNOWN_DLLS:
            print(f"note: Wine loaded the planted {path}, a DLL that Windows always maps from "
                  f"its system folder: Wine's own behaviour, not counted")
        else:
            problems.append(f"a planted DLL ran inside the installer: {line}")
    log.unlink()
    return problems


def fault_planted_dlls(env, name, case_root, prefix):
    """A recording DLL beside the installer under the name of every DLL that the installer or
    its library imports, that they load by name at run time, or that Wine would take from the
    program's folder: the installer starts, shows its window and updates the ticked folders, and
    none of the recording DLLs runs inside it."""
    folder = prefix / "drive_c/Downloads"
    place_package(env, prefix, "drive_c/Downloads")
    names = {dll.lower(): dll for dll in imported_dlls(env.dist / "tarvik_installer.exe")
             + imported_dlls(env.dist / "tarvik_unzip.dll") + LOADED_BY_NAME}
    for dll in names.values():
        plant(env, folder, dll)
    print(f"planted beside the installer: {', '.join(sorted(names.values()))}")
    before = snapshot(prefix)
    problems = []
    with Session(env, name, prefix, "C:\\Downloads\\tarvik_installer.exe", "drive_c/Downloads",
                 {"WINEDEBUG": "-all,+loaddll"}) as session:
        update_succeeds(session, problems)
    stop_wineserver(env, prefix)
    trace = session.log.read_text(errors="replace")
    loaded = set(re.findall(r'Loaded L"[^"]*\\\\([^"\\]+)"', trace))
    not_planted = sorted({dll.lower() for dll in loaded} - set(names) - {"tarvik_installer.exe"})
    print(f"loaded by the installer's process and not planted: {', '.join(not_planted)}")
    problems += planted_dll_loads(prefix)
    return problems + Checker(env, prefix, before, snapshot(prefix),
                              Expectation([], updated=TICKED)).run()


def handed_over_process(prefix):
    """The process id of the installer started with a hand-over in the prefix, or None."""
    for process in Path("/proc").glob("[0-9]*"):
        try:
            if (b"tarvik-handover" in (process / "cmdline").read_bytes() and
                    f"\0WINEPREFIX={prefix}\0".encode() in b"\0" + (process / "environ").read_bytes()):
                return int(process.name)
        except OSError:
            continue
    return None


def wait_until(condition, timeout, step=0.1):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(step)
    return True


def fault_handover(env, name, case_root, prefix):
    """FS2002's scenery folder protected (chattr +i), FS2000's folder unticked by the user and a
    folder added with the picker: "Run as administrator" starts a new instance (under Wine not
    elevated: Wine runs it as the same user) in the installer's own folder, which shows exactly
    the list as the user left it and goes on with the checks; Cancel there changes nothing. A
    start with another command line shows the list as discovery makes it and waits for the
    user."""
    exe, home = "C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update"
    place_package(env, prefix, home)
    picked = "drive_c/Addons/TarvikP"  # the first instance starts there: the picker opens there
    shutil.copytree(prefix / FS2000_TARVIK, prefix / picked, symlinks=True)
    protected = make_immutable(prefix / FS2002_TARVIK / "scenery")
    problems = []
    try:
        before = snapshot(prefix)
        with Session(env, name, prefix, exe, picked) as session:
            discovered = list_entries(env, prefix)
            window_helper(env, prefix, "--toggle-entry", "0", MAIN_TITLE)
            if not press(env, prefix, "Add folder...") or not wait_until(
                    lambda: press(env, prefix, "Select directory"), 30):
                raise Failure("the folder picker did not open")
            if not wait_until(lambda: len(list_entries(env, prefix)) > len(discovered), 30):
                shot = screenshot(env, f"{name}-no-folder-added")
                raise Failure(f"the folder picker did not add a folder; screen: {shot}; the "
                              f"list: {list_entries(env, prefix)}")
            screenshot(env, f"{name}-1-chosen")
            chosen = list_entries(env, prefix)
            if chosen[0][0] or not discovered[0][0] or not chosen[-1][1].endswith(
                    windows_path(picked)):
                problems.append(f"the user's choice was not made: {chosen}")
            session.press_install()
            box, question = session.wait_box("1-question")
            expect_texts(problems, "the question", question, ["Run as administrator"])
            session.answer(box, "Return")  # the default button
            expect_code(problems, "the instance that handed over", session.exit_code(), 4)
        if not wait_until(lambda: handed_over_process(prefix), 60):
            raise Failure("no instance was started with the hand-over")
        pid = handed_over_process(prefix)
        print("note: under Wine the new instance runs without administrator rights, as the "
              "same user; Windows would ask and elevate it")
        box = find_window("^" + MESSAGE_TITLE + "$", 120)
        if not box:
            raise Failure("the new instance did not go on with the checks")
        question = read_message(env, prefix)
        expect_texts(problems, "the new instance's question", question,
                     ["may not change", windows_path(FS2002_TARVIK + "/scenery")])
        handed = list_entries(env, prefix)
        if handed != chosen:
            problems.append(f"the new instance lists {handed}, not the handed-over {chosen}")
        cwd = flush_trace.real(os.readlink(f"/proc/{pid}/cwd"))  # as the host sees it
        if cwd != flush_trace.real(str(prefix / home)):
            problems.append(f"the new instance runs in {cwd}, not in the installer's folder")
        screenshot(env, f"{name}-2-new-instance")
        run_quiet(["xdotool", "key", "--window", box, "Escape"])
        if not wait_until(lambda: not Path(f"/proc/{pid}").exists(), 30):
            problems.append("the new instance did not end after Cancel")
        stop_wineserver(env, prefix)
        problems += Checker(env, prefix, before, snapshot(prefix), Expectation([])).run()

        with Session(env, f"{name}-unknown", prefix, exe, home,
                     arguments=["/S", "/tarvik-handover:1:0:AAAA"]) as session:
            if list_entries(env, prefix) != discovered:
                problems.append("a start with another command line does not list what "
                                "discovery finds")
            if find_window("^" + MESSAGE_TITLE + "$", 3):
                problems.append("a start with another command line began the run by itself")
    finally:
        subprocess.run(["chattr", "-i", str(protected)])
    return problems


def trace_wineserver(env, prefix, output):
    """Starts the prefix's Wine server and attaches strace to it; returns the tracer."""
    run_quiet([*WINESERVER, "-p60"], env=env.wine_env(prefix))
    wanted = b"\0WINEPREFIX=" + str(prefix).encode() + b"\0"

    def serves_prefix(process):
        try:
            return ((process / "comm").read_text().startswith("wineserver")
                    and wanted in b"\0" + (process / "environ").read_bytes())
        except OSError:  # a process that ended meanwhile, or another user's
            return False
    pids = [int(p.name) for p in Path("/proc").glob("[0-9]*") if serves_prefix(p)]
    if len(pids) != 1:
        raise Failure(f"{len(pids)} Wine servers run for {prefix}")
    tracer = subprocess.Popen([*flush_trace.STRACE, "-p", str(pids[0]), "-o", str(output)])
    status = Path(f"/proc/{pids[0]}/status")
    while "TracerPid:\t0\n" in status.read_text() and tracer.poll() is None:
        time.sleep(0.05)
    if tracer.poll() is not None:
        raise Skipped("strace cannot attach to a running process here (ptrace_scope)")
    return tracer


def fault_power_cut_order(env, name, case_root, prefix):
    """One folder's update with Wine's server and the installer traced: every other file of the
    archive is on the disk (fsync) before the marker gets its name, and so is the marker, and
    both sub-folders are flushed after their last new name and before the marker's, so that a
    power cut leaves the old marker or the complete new version."""
    if run_quiet(["strace", "-o", "/dev/null", "true"]) != 0:
        raise Skipped("strace cannot trace processes here (missing, or ptrace not permitted)")
    setup_info = case_one_folder(env, prefix)
    traces = case_root / "trace"
    traces.mkdir()
    server = trace_wineserver(env, prefix, traces / "server")
    problems = []
    try:
        with Session(env, name, prefix, setup_info.exe, setup_info.start_folder,
                     wrapper=[*flush_trace.STRACE, "-o", str(traces / "installer")]) as session:
            update_succeeds(session, problems)
    finally:
        stop_wineserver(env, prefix)
        server.wait(timeout=60)
    placed = flush_trace.placements(traces.iterdir())
    folder = prefix / FS2000_TARVIK
    marker = flush_trace.real(folder / "scenery/qiro.bgl").lower()
    moves = [p for p in placed if p.target.lower() == marker]
    if not moves or not moves[-1].flushed:
        return problems + ["the marker was not on the disk before it got its name, or never "
                           "got it"]
    named = moves[-1].time
    durable = {p.target.lower() for p in placed if p.flushed and p.time < named}
    for entry in package_entries(env):
        path = flush_trace.real(folder / entry.name).lower()
        if not entry.name.endswith("/") and path != marker and path not in durable:
            problems.append(f"{entry.name} was not on the disk before the marker got its name")
    # Without a journal (FAT32, exFAT) a folder's new names reach the disk with the folder.
    flushed = flush_trace.flushes(traces.iterdir())
    for sub in ("scenery", "texture"):
        path = flush_trace.real(folder / sub).lower()
        last = max((p.time for p in placed if p.time < named
                    and os.path.dirname(p.target).lower() == path), default=None)
        if last is None or not any(last < when < named and flushed_path.lower() == path
                                   for when, flushed_path in flushed):
            problems.append(f"{sub}\\ was not flushed after its last new name and before the "
                            f"marker got its name")
    return problems


FAULTS = {
    "planted_dlls": fault_planted_dlls,
    "no_display": fault_no_display,
    "file_in_use": fault_file_in_use,
    "protected_folder": fault_protected_folder,
    "small_volume": fault_small_volume,
    "killed_run": fault_killed_run,
    "power_cut_order": fault_power_cut_order,
    "files_held_50ms": files_held_briefly(50),
    "files_held_400ms": files_held_briefly(400),
    "handover": fault_handover,
}


def run_fault(env, name):
    case_root, prefix = fresh_case_prefix(env, name)
    env.ensure_display()
    try:
        problems = FAULTS[name](env, name, case_root, prefix)
    except Skipped as skipped:
        print(f"case {name}: skipped: {skipped}")
        shutil.rmtree(case_root, ignore_errors=True)
        return SKIPPED
    finally:
        stop_wineserver(env, prefix)
    for problem in problems:
        print(f"problem: {problem}")
    if problems:
        raise Failure(f"case {name}: {len(problems)} problems (prefix kept in {prefix})")
    if not env.keep:
        shutil.rmtree(case_root)
    print(f"case {name}: passed")
    return 0


# --- The demo ------------------------------------------------------------------------------

def run_has_started(env, prefix):
    """True once the install button is hidden: the run has begun."""
    helper = env.windows_build / "bin/e2e_window_text.exe"
    result = subprocess.run([WINE, str(helper), MAIN_TITLE], capture_output=True, text=True,
                            env=env.wine_env(prefix), timeout=60)
    return "Button [hidden]: Install update now" in result.stdout


def demo(env, prefix, dist):
    env.dist = Path(dist).resolve()
    env.shots = REPO / "screenshots" / "demo"
    exe = env.dist / "tarvik_installer.exe"
    before = snapshot(prefix)
    user_display = bool(os.environ.get("DISPLAY")) and run_quiet(["xdpyinfo"]) == 0
    if not user_display:
        env.ensure_display()
    print(f"demo: starting {exe} on display {os.environ['DISPLAY']}"
          f"{'' if user_display else ' (a virtual one)'}")
    process = subprocess.Popen([WINE, str(exe)], cwd=exe.parent, env=env.wine_env(prefix),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               stdin=subprocess.DEVNULL)
    try:
        window = find_window("^" + re.escape(MAIN_TITLE) + "$", 90)
        if not window:
            raise Failure("the installer's window did not appear")
        if not user_display:
            run_quiet(["xdotool", "mousemove", "0", "0"])
        time.sleep(1.5)
        print(f"demo: window shown: {screenshot(env, '1-window')}")
        if user_display:
            print('demo: tick the folders to update and press "Install update now"')
            while not run_has_started(env, prefix):
                if process.poll() is not None:
                    raise Failure("the installer ended before an update was started")
                time.sleep(0.1)
        else:
            print("demo: pressing Enter (the button has the focus)")
            run_quiet(["xdotool", "key", "--window", window, "Return"])
        start = time.monotonic()
        time.sleep(0.4)
        print(f"demo: during the run: {screenshot(env, '2-during')}")
        box = find_window("^" + MESSAGE_TITLE + "$", 3600)
        elapsed = time.monotonic() - start
        if not box:
            raise Failure("no message box appeared")
        time.sleep(0.5)
        print(f"demo: final message: {screenshot(env, '3-message')}")
        message = read_message(env, prefix)
        texts = [line.split(": ", 1)[1] for line in message.split("\n")
                 if line.startswith("Static: ")]
        print("demo: the message box says: " + " ".join(text for text in texts if text))
        if user_display:
            print("demo: dismiss the message box to end the installer")
        else:
            run_quiet(["xdotool", "key", "--window", box, "Return"])
        process.wait(timeout=None if user_display else 30)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
        stop_wineserver(env, prefix)
    report_folders(env, prefix, before, snapshot(prefix))
    print(f"demo: the update took {elapsed:.1f} s, from the start of the run to the final "
          f"message{'' if not user_display else ' (measured to about 0.3 s)'}")


def report_folders(env, prefix, before, after):
    print("demo: the add-on folders afterwards:")
    for folder in ALL_ADDONS:
        if f"{folder}/scenery" not in before:
            continue
        inside = [path for path in set(before) | set(after)
                  if path.startswith(folder + "/") and before.get(path) != after.get(path)]
        if not inside:
            state = "unchanged"
        else:
            problems = Checker(env, prefix, before, after,
                               Expectation([], updated=[folder])).check_folder(folder)
            state = ("UPDATED: every archive file in place with its CRC-32, obsolete files gone"
                     if not problems else f"changed, but not completely updated: {problems[0]}")
        print(f"  {windows_path(folder):38} {state}")
    addon_prefixes = tuple(folder + "/" for folder in ALL_ADDONS)
    elsewhere = [path for path in set(before) | set(after)
                 if before.get(path) != after.get(path) and not path.startswith(addon_prefixes)]
    print(f"demo: changes outside the add-on folders: {len(elsewhere) or 'none'}")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("command", choices=["setup", "case", "all", "list", "demo"])
    parser.add_argument("name", nargs="?")
    parser.add_argument("--windows-build", default=str(REPO / "build/windows"))
    parser.add_argument("--native-build", default=str(REPO / "build/native"))
    parser.add_argument("--work")
    parser.add_argument("--prefix", help="the demo's Wine prefix")
    parser.add_argument("--dist", default=str(REPO / "dist"), help="the demo's package folder")
    parser.add_argument("--arch", choices=["win64", "win32"], default="win64",
                        help="the prefixes' Windows: 64-bit (WoW64, the default) or 32-bit")
    parser.add_argument("--keep", action="store_true", help="keep the case prefixes")
    parser.add_argument("--use-display", action="store_true",
                        help="run on $DISPLAY instead of a private Xvfb display")
    args = parser.parse_args()
    if args.command == "list":
        print("\n".join(list(CASES) + list(FAULTS)))
        return 0
    env = Environment(args)
    try:
        if args.command == "demo":
            if not args.prefix:
                parser.error("demo needs --prefix")
            demo(env, Path(args.prefix).resolve(), args.dist)
        if args.command in ("setup", "all"):
            setup(env)
        if args.command == "case":
            if args.name in FAULTS:
                return run_fault(env, args.name)
            if args.name not in CASES:
                names = ", ".join(list(CASES) + list(FAULTS))
                parser.error(f"no case {args.name!r}; cases: {names}")
            run_case(env, args.name)
        if args.command == "all":
            failed = []
            for name in list(CASES) + list(FAULTS):
                try:
                    run_fault(env, name) if name in FAULTS else run_case(env, name)
                except Failure as failure:
                    print(f"FAILED: {failure}")
                    failed.append(name)
            print(f"{len(CASES) + len(FAULTS) - len(failed)} passed, {len(failed)} failed")
            return 1 if failed else 0
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    finally:
        env.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
