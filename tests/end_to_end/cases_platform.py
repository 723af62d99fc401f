"""Cases of the platform's limits: a folder name that the ANSI code page cannot spell, the
list's 32767 entries, no display for the window, and the order in which a run's files reach the
disk, against a power cut (traced with strace)."""

import os
import subprocess
import time
from pathlib import Path

from cases_update import case_one_folder
from harness.environment import (
    FS2000_TARVIK, Failure, SUCCESS, Skipped, TICKED, WINE, WINESERVER, append_cfg_lines,
    package_entries, place_package, run_quiet, stop_wineserver, windows_path
)
from harness.installer_session import Session
from harness.outcome_checks import CaseSetup, Checker, Expectation, expect_code, update_succeeds
from harness.prefix_snapshot import snapshot

import flush_trace  # noqa: E402 (tests/support, put on the path by harness.environment)


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

