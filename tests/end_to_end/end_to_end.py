#!/usr/bin/env python3
"""End-to-end test of the installer package under Wine: the cases' runner.

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

The cases are in files by concern: cases_update.py (the update as users run it),
cases_simulator_view.py (the VirtualStore), cases_faults.py (the faults a user meets),
cases_attacker.py (the attacker's cases) and cases_platform.py (the platform's limits); what
they share is in harness/ (the environment and the base prefix, snapshots of a prefix, the
installer's session under X, the checks of the outcome); the demo is in demo.py.

The prefix, as enriched, lists in this order: FS2000 Tarvik (2.0, ticked), Tarvik V21 (2.1),
D:\\Scenery Extra\\Tarvik (2.0, ticked, named through its scenery sub-folder); FS2002 Tarvik (2.0,
ticked), Tarvik V21 (2.1), D:\\Tarvik (unknown). C:\\Scenery\\Tarvik Old (1.0) is not listed.
"""

import argparse
import shutil
import sys
from pathlib import Path

from cases_attacker import (
    case_library_missing, case_library_replaced, case_links_in_folder, fault_planted_dlls,
    planted_dll_loads
)
from cases_faults import (
    fault_file_in_use, fault_handover, fault_killed_run, fault_protected_folder,
    fault_small_volume, files_held_briefly
)
from cases_platform import (
    case_cyrillic_folder, case_full_list, fault_no_display, fault_power_cut_order
)
from cases_simulator_view import case_virtual_marker, case_virtual_store
from cases_update import (
    case_damaged_payload, case_missing_texture, case_one_folder, case_renamed_elsewhere,
    case_same_folder_twice, case_signed, case_update
)
from demo import demo
from harness.environment import (
    Environment, Failure, REPO, SKIPPED, Skipped, run_checked, setup, stop_wineserver
)
from harness.installer_session import run_installer
from harness.outcome_checks import (
    Checker, check_listed, check_message, check_progress, expect_code
)
from harness.prefix_snapshot import snapshot


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
