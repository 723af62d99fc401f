"""Wine prefixes for the end-to-end cases: the environment of a run (the builds, the work folder,
the Windows the prefixes play), the package and the base prefix that every case copies, and
snapshots of a prefix's drives to compare before and after a run."""

import hashlib
import os
import re
import shutil
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path


REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests/support"))
import flush_trace  # noqa: E402,F401  (the cases import it from here)

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


class Skipped(Exception):
    """The fault cannot be made on this machine; the case says so and why."""


SKIPPED = 77  # CTest reports the case as skipped (SKIP_RETURN_CODE)


def as_windows(unix_path):
    """A Unix path as Wine's Z: drive shows it."""
    return "Z:" + str(unix_path).replace("/", "\\")


def wait_until(condition, timeout, step=0.1):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(step)
    return True
