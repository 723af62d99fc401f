"""The installer's windows as the cases drive them from outside: one start of the program in a
prefix (Session), its main window and message boxes found on the X display, their texts, the
list's entries and the progress bar read from another process (tests/end_to_end/window_text.cpp),
buttons pressed and screenshots taken."""

import re
import subprocess
import time
from dataclasses import dataclass

from prefixes import (MAIN_TITLE, MESSAGE_TITLE, WINE, WINESERVER, Failure, run_quiet,
    stop_wineserver)


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
