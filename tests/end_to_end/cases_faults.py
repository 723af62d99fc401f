"""Cases of the faults a user meets: a file held by a running simulator, a folder that cannot be
changed, a volume too small, a killed run, files that a virus scanner holds for a moment after
they are written, the hand-over to an instance with administrator rights."""

import os
import re
import shutil
import subprocess
import time
from pathlib import Path

from harness.environment import (
    FS2000_TARVIK, FS2002_TARVIK, Failure, MAIN_TITLE, MESSAGE_TITLE, SUCCESS, Skipped, TICKED,
    WINE, append_cfg_lines, as_windows, obsolete_names, place_package, run_checked, run_quiet,
    stop_wineserver, wait_until, windows_path
)
from harness.installer_session import (
    Session, find_window, list_entries, press, read_message, screenshot, window_helper
)
from harness.outcome_checks import Checker, Expectation, expect_code, expect_texts, update_succeeds
from harness.prefix_snapshot import snapshot

import flush_trace  # noqa: E402 (tests/support, put on the path by harness.environment)


RELEASE = "release-hold"


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


def handed_over_process(prefix):
    """The process id of the installer started with a hand-over in the prefix, or None."""
    for process in Path("/proc").glob("[0-9]*"):
        try:
            if (b"tarvik-handover" in (process / "cmdline").read_bytes() and
                    f"\0WINEPREFIX={prefix}\0".encode()
                    in b"\0" + (process / "environ").read_bytes()):
                return int(process.name)
        except OSError:
            continue
    return None


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

