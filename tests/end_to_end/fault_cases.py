"""The faults a user meets, made for real: a file held open, a protected folder, a volume too small,
an installer killed in the middle, no display, a virus scanner's short holds, and the order in
which the files reach the disk against a power cut (traced with strace)."""

import os
import re
import shutil
import subprocess
import time
from pathlib import Path

from installer_window import Session
from outcome import (Checker, Expectation, cancel_changes_nothing, expect_code, update_completes,
    update_succeeds)
from prefixes import (FS2000_TARVIK, FS2002_TARVIK, TICKED, WINE, WINESERVER, Failure, Skipped,
    append_cfg_lines, as_windows, flush_trace, obsolete_names, package_entries, place_package,
    run_checked, run_quiet, snapshot, stop_wineserver, windows_path)
from update_cases import case_one_folder


RELEASE = "release-hold"


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
