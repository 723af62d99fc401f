"""What Windows does that Wine does not by itself, laid out as Windows leaves it: the VirtualStore
of a virtualized simulator, and the hand-over to an instance started with administrator rights."""

import os
import shutil
import subprocess
from pathlib import Path

from fault_cases import make_immutable
from installer_window import (Session, find_window, list_entries, press, read_message, screenshot,
    window_helper)
from outcome import CaseSetup, Checker, Expectation, expect_code, expect_texts
from prefixes import (FS2000_TARVIK, FS2002_TARVIK, MAIN_TITLE, MESSAGE_TITLE, SUCCESS,
    TARVIK_EXTRA, Failure, flush_trace, package_entries, place_package, run_quiet, snapshot,
    stop_wineserver, wait_until, windows_path)


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
    area = tarvik_in_program_files(env)
    line = "Tarvik versie 2.0         " + windows_path(area).lower()
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], exit_code=0,
                                 updated=[FS2000_TARVIK, TARVIK_EXTRA, area],
                                 virtual_copies={area: relative_to_prefix(prefix, copy.parents[1])},
                                 listed=[(True, line)]))


def handed_over_process(prefix):
    """The process id of the installer started with a hand-over in the prefix, or None."""
    for process in Path("/proc").glob("[0-9]*"):
        try:
            environment = b"\0" + (process / "environ").read_bytes()
            if (b"tarvik-handover" in (process / "cmdline").read_bytes() and
                    f"\0WINEPREFIX={prefix}\0".encode() in environment):
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
