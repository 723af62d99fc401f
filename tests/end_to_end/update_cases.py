"""The cases of an update as users start it: the plain run, a signed package, a folder named twice,
a folder without its texture sub-folder, a package renamed and started elsewhere, a damaged
payload, one folder, a folder name the code page cannot spell, and a full list."""

import os
import shutil

from outcome import CaseSetup, Expectation
from prefixes import (FS2000_TARVIK, REPO, SUCCESS, TARVIK_EXTRA, TICKED, Failure,
    append_cfg_lines, place_package, run_checked, windows_path)


def case_update(env, prefix):
    """The plain run: the package in its own folder, started there, three folders ticked."""
    place_package(env, prefix, "drive_c/Tarvik Update")
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], updated=TICKED, steps=1 + len(TICKED)))


def case_signed(env, prefix):
    """The package step signs the program and the library with a throw-away certificate and
    verifies both signatures; the signed package updates exactly as the unsigned one, its
    library recognised as the one the program was built with."""
    signing = env.work / "signing"
    shutil.rmtree(signing, ignore_errors=True)
    signing.mkdir(parents=True)
    secrets = dict(os.environ, TARVIK_SIGN_PASSWORD="throw-away " + os.urandom(6).hex())
    run_checked(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                 "-subj", "/CN=Tarvik Test Signer/O=Throw-away", "-keyout", "key.pem",
                 "-out", "cert.pem", "-addext", "extendedKeyUsage=codeSigning"], cwd=signing)
    run_checked(["openssl", "pkcs12", "-export", "-inkey", "key.pem", "-in", "cert.pem",
                 "-out", "signer.p12", "-passout", "env:TARVIK_SIGN_PASSWORD"], cwd=signing,
                env=secrets)
    env.dist = env.work / "dist-signed"
    secrets.update(TARVIK_NO_BUILD="1", TARVIK_DIST=str(env.dist),
                   TARVIK_NATIVE_BUILD=str(env.native_build),
                   TARVIK_WINDOWS_BUILD=str(env.windows_build))
    output = run_checked(["bash", str(REPO / "scripts/package.sh"),
                          "--sign-pkcs12", str(signing / "signer.p12")], env=secrets, cwd=REPO)
    print(output)
    for said in ("signed: a signature of", "package sound",
                 "the signature of tarvik_installer.exe verified; signed by /CN=Tarvik Test "
                 "Signer/O=Throw-away",
                 "the signature of tarvik_unzip.dll verified; signed by /CN=Tarvik Test "
                 "Signer/O=Throw-away"):
        if said not in output:
            raise Failure(f"the package step did not say {said!r}")
    place_package(env, prefix, "drive_c/Tarvik Update")
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], updated=TICKED, steps=1 + len(TICKED)))


def case_same_folder_twice(env, prefix):
    """FS2002's configuration names the FS2000 add-on folder too: two ticked entries, one folder."""
    append_cfg_lines(prefix, "FS2002", ["[Area.006]", "Title=Tarvik (FS2000 copy)",
                                        "Local=C:\\Games\\FS2000\\Addon Scenery\\Tarvik",
                                        "Layer=6", "Active=TRUE"])
    place_package(env, prefix, "drive_c/Tarvik Update")
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], updated=TICKED))


def case_missing_texture(env, prefix):
    """The second ticked folder has no texture sub-folder: the run stops there."""
    shutil.rmtree(prefix / TARVIK_EXTRA / "texture")
    place_package(env, prefix, "drive_c/Tarvik Update")
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation(["Run-time error '76'", "Path not found"],
                                 updated=[FS2000_TARVIK], prepared_only=[TARVIK_EXTRA]))


def case_renamed_elsewhere(env, prefix):
    """The package saved under another name on drive D:, started from C:\\Games."""
    place_package(env, prefix, "drive_d/Downloads", "Tarvik update (2).exe")
    return CaseSetup("D:\\Downloads\\Tarvik update (2).exe", "drive_c/Games",
                     Expectation([SUCCESS], updated=TICKED))


def case_damaged_payload(env, prefix):
    """One byte of an entry's compressed data flipped: the archive test fails before any change."""
    exe = place_package(env, prefix, "drive_c/Tarvik Update")
    data = bytearray(exe.read_bytes())
    program_length = (env.windows_build / "bin/tarvik_installer.exe").stat().st_size
    data[program_length + (len(data) - program_length) // 2] ^= 0x5A
    exe.write_bytes(bytes(data))
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation(["The update cannot be installed",
                                  "the installer's own archive cannot be read",
                                  "Nothing was changed."]))


def list_fs2000_tarvik_only(prefix):
    """Takes the lines naming the other two ticked folders out of the scenery.cfg files."""
    for simulator, line in (("FS2000", "Local=D:\\Scenery Extra\\Tarvik\\scenery"),
                            ("FS2002", "Local=Addon Scenery\\Tarvik")):
        cfg = prefix / f"drive_c/Games/{simulator}/scenery.cfg"
        text = cfg.read_bytes().replace(line.encode() + b"\r\n", b"")
        cfg.write_bytes(text)


def case_one_folder(env, prefix):
    """Only the FS2000 folder is ticked: the time of one folder's update."""
    list_fs2000_tarvik_only(prefix)
    place_package(env, prefix, "drive_c/Tarvik Update")
    return CaseSetup("C:\\Tarvik Update\\tarvik_installer.exe", "drive_c/Tarvik Update",
                     Expectation([SUCCESS], updated=[FS2000_TARVIK]))


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
