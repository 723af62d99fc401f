"""What a case expects of a run and the check of it: the message, the exit code, the progress bar,
the list, and every file of the prefix's drives (each updated folder as the archive has it,
nothing changed outside the folders the update owns)."""

import zipfile
import zlib
from dataclasses import dataclass, field

from installer_window import Session
from prefixes import (SUCCESS, TICKED, hidden, obsolete_names, package_entries, snapshot,
    stop_wineserver, writable)


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
