"""The attacker's cases: DLLs that a web site put beside the installer (recorded by a DLL that logs
where it was loaded from), a library missing or swapped for another, and links in the add-on
folder to files outside it."""

import os
import re
import shutil

from installer_window import Session
from outcome import CaseSetup, Checker, Expectation, update_succeeds
from prefixes import (FS2000_TARVIK, SUCCESS, TICKED, obsolete_names, place_package, run_checked,
    snapshot, stop_wineserver)


# The recording DLL (planted_dll.c): put beside the installer under a DLL's name, it appends the
# path it was loaded from to this file whenever it is loaded.
PLANTED_LOG = "drive_c/planted-dlls.log"
LIBRARY_REFUSED = 5  # the installer's exit code for a missing or foreign unzip library


def plant(env, folder, name):
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(env.windows_build / "bin/e2e_planted.dll", folder / name)


def refused_library(what):
    return Expectation(["Run-time error '48'", f"The unzip library C:\\Downloads\\tarvik_unzip.dll "
                        f"{what}: download both files of the update again."],
                       exit_code=LIBRARY_REFUSED)


def case_library_missing(env, prefix):
    """The package without tarvik_unzip.dll beside it, started from another folder that holds a
    tarvik_unzip.dll, with another one in a folder on PATH: neither is loaded, the report says
    the library is missing and nothing changes (a planted library's load would be written to
    C:\\planted-dlls.log)."""
    place_package(env, prefix, "drive_c/Downloads", library=False)
    plant(env, prefix / "drive_c/Elsewhere", "tarvik_unzip.dll")
    plant(env, prefix / "drive_c/On Path", "tarvik_unzip.dll")
    return CaseSetup("C:\\Downloads\\tarvik_installer.exe", "drive_c/Elsewhere",
                     refused_library("is missing"), {"WINEPATH": "C:\\On Path"})


def case_library_replaced(env, prefix):
    """The library beside the installer replaced by another DLL with the same entry points: it is
    refused before it is loaded, and nothing changes."""
    place_package(env, prefix, "drive_c/Downloads")
    plant(env, prefix / "drive_c/Downloads", "tarvik_unzip.dll")
    return CaseSetup("C:\\Downloads\\tarvik_installer.exe", "drive_c/Downloads",
                     refused_library("is not the one this installer was built with"))


def case_links_in_folder(env, prefix):
    """The FS2000 folder holds links to read-only files outside it, named like staging leftovers
    in both sub-folders and like an obsolete file: the update resets and deletes none of them,
    and the files they point to stay as they were, attributes and all."""
    outside = prefix / "drive_c/Outside"
    outside.mkdir()
    names = {"scenery/~tvk0badf00d.tmp": "leftover.tmp", "texture/~tvk12345678.tmp": "texture.tmp",
             f"scenery/{obsolete_names()[0]}": "obsolete.bgl"}
    for link, target in names.items():
        (outside / target).write_bytes(b"the user's own file, outside the add-on")
        (outside / target).chmod(0o444)
        path = prefix / FS2000_TARVIK / link
        path.unlink(missing_ok=True)  # the obsolete file of that name, where there is one
        path.symlink_to(os.path.relpath(outside / target, path.parent))
    place_package(env, prefix, "drive_c/Tarvik Update")
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], updated=TICKED, exit_code=0))


# DLLs that Windows always maps from its system folder (its KnownDLLs), whatever lies beside a
# program. Wine 8 takes some of them from the program's folder before the program's first
# instruction; that is Wine's own behaviour, told but not counted.
WINDOWS_KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll", "gdi32.dll",
    "gdiplus.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll", "msctf.dll", "msvcrt.dll",
    "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll",
    "sechost.dll", "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "wldap32.dll", "ws2_32.dll"}

# Loaded by name after start-up, by the installer or by Windows on its behalf (the Restart
# Manager, CryptoAPI's provider, themes, the taskbar button, fonts, input methods), or taken from
# the program's folder by Wine; planted besides every DLL that either binary imports.
LOADED_BY_NAME = [
    "RstrtMgr.dll", "rsaenh.dll", "cryptsp.dll", "cryptbase.dll", "bcrypt.dll", "crypt32.dll",
    "wintrust.dll", "uxtheme.dll", "version.dll", "shcore.dll", "dwmapi.dll", "propsys.dll",
    "explorerframe.dll", "windowscodecs.dll", "msimg32.dll", "imm32.dll", "msctf.dll",
    "oleacc.dll", "userenv.dll", "profapi.dll", "sspicli.dll", "secur32.dll", "netapi32.dll",
    "winmm.dll", "dbghelp.dll", "iertutil.dll", "urlmon.dll", "wininet.dll", "mpr.dll",
    "textinputframework.dll", "dwrite.dll", "usp10.dll", "comdlg32.dll", "oleaut32.dll",
    "shlwapi.dll", "setupapi.dll", "winspool.drv", "combase.dll", "kernelbase.dll", "rpcrt4.dll",
    "sechost.dll", "ucrtbase.dll", "win32u.dll", "zlib1.dll", "winex11.drv"]


def imported_dlls(binary):
    listing = run_checked(["x86_64-w64-mingw32-objdump", "-p", str(binary)])
    return re.findall(r"DLL Name: (\S+)", listing)


def planted_dll_loads(prefix):
    """The problems of planted DLLs that were loaded: none but Wine's own takings of KnownDLLs,
    which are told. Removes the log, a file of the test's."""
    log = prefix / PLANTED_LOG
    if not log.exists():
        return []
    problems = []
    for line in log.read_text(errors="replace").splitlines():
        path = line.rsplit(" ", 1)[0] if line.endswith(" loaded") else line
        name = path.replace("\\", "/").rsplit("/", 1)[-1].lower()
        if line.endswith(" loaded") and name in WINDOWS_KNOWN_DLLS:
            print(f"note: Wine loaded the planted {path}, a DLL that Windows always maps from "
                  f"its system folder: Wine's own behaviour, not counted")
        else:
            problems.append(f"a planted DLL ran inside the installer: {line}")
    log.unlink()
    return problems


def fault_planted_dlls(env, name, case_root, prefix):
    """A recording DLL beside the installer under the name of every DLL that the installer or
    its library imports, that they load by name at run time, or that Wine would take from the
    program's folder: the installer starts, shows its window and updates the ticked folders, and
    none of the recording DLLs runs inside it."""
    folder = prefix / "drive_c/Downloads"
    place_package(env, prefix, "drive_c/Downloads")
    names = {dll.lower(): dll for dll in imported_dlls(env.dist / "tarvik_installer.exe")
             + imported_dlls(env.dist / "tarvik_unzip.dll") + LOADED_BY_NAME}
    for dll in names.values():
        plant(env, folder, dll)
    print(f"planted beside the installer: {', '.join(sorted(names.values()))}")
    before = snapshot(prefix)
    problems = []
    with Session(env, name, prefix, "C:\\Downloads\\tarvik_installer.exe", "drive_c/Downloads",
                 {"WINEDEBUG": "-all,+loaddll"}) as session:
        update_succeeds(session, problems)
    stop_wineserver(env, prefix)
    trace = session.log.read_text(errors="replace")
    loaded = set(re.findall(r'Loaded L"[^"]*\\\\([^"\\]+)"', trace))
    not_planted = sorted({dll.lower() for dll in loaded} - set(names) - {"tarvik_installer.exe"})
    print(f"loaded by the installer's process and not planted: {', '.join(not_planted)}")
    problems += planted_dll_loads(prefix)
    return problems + Checker(env, prefix, before, snapshot(prefix),
                              Expectation([], updated=TICKED)).run()
