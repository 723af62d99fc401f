"""The demo: the packaged installer in a demo prefix, on the user's display for the user to press
the button, or on a private one, pressing Enter itself; screenshots, and which folders were
updated and how long it took."""

import os
import re
import subprocess
import time
from pathlib import Path

from harness.environment import (
    ALL_ADDONS, Failure, MAIN_TITLE, MESSAGE_TITLE, REPO, WINE, run_quiet, stop_wineserver,
    windows_path
)
from harness.installer_session import find_window, read_message, screenshot
from harness.outcome_checks import Checker, Expectation
from harness.prefix_snapshot import snapshot


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

