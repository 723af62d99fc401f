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

The cases, by concern: update_cases.py (updates as users start them), fault_cases.py (the faults a
user meets), attacker_cases.py (planted DLLs, a foreign library, links), windows_cases.py (what
Windows does that Wine does not by itself: the VirtualStore, the hand-over to an elevated
instance). The harness: prefixes.py (the environment, the package, the base prefix, snapshots),
installer_window.py (starting the installer and driving its windows from outside) and outcome.py
(what a case expects and the check of the prefix after the run).

The prefix, as enriched, lists in this order: FS2000 Tarvik (2.0, ticked), Tarvik V21 (2.1),
D:\\Scenery Extra\\Tarvik (2.0, ticked, named through its scenery sub-folder); FS2002 Tarvik (2.0,
ticked), Tarvik V21 (2.1), D:\\Tarvik (unknown). C:\\Scenery\\Tarvik Old (1.0) is not listed.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

from attacker_cases import (case_library_missing, case_library_replaced, case_links_in_folder,
    fault_planted_dlls, planted_dll_loads)
from fault_cases import (fault_file_in_use, fault_killed_run, fault_no_display,
    fault_power_cut_order, fault_protected_folder, fault_small_volume, files_held_briefly)
from installer_window import find_window, read_message, run_installer, screenshot
from outcome import Checker, Expectation, check_listed, check_message, check_progress, expect_code
from prefixes import (ALL_ADDONS, MAIN_TITLE, MESSAGE_TITLE, REPO, SKIPPED, WINE, Environment,
    Failure, Skipped, fresh_case_prefix, run_quiet, setup, snapshot, stop_wineserver,
    windows_path)
from update_cases import (case_cyrillic_folder, case_damaged_payload, case_full_list,
    case_missing_texture, case_one_folder, case_renamed_elsewhere, case_same_folder_twice,
    case_signed, case_update)
from windows_cases import case_virtual_marker, case_virtual_store, fault_handover


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
