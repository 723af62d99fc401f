#!/usr/bin/env python3
"""Makes the archives that the unzip library's tests read, with the tools others use:
Python's zipfile and Debian's zip tool. Usage: make_test_archives.py [--small] OUTPUT_FOLDER

OUTPUT_FOLDER/source holds the files; each archive holds them as "scenery/...", "texture/..."
and "docs/...". The *_prefixed.exe files are archives behind 102467 bytes of other data, with
their offsets unchanged, as an installer carries its payload. zip_partly_password.zip holds
docs/readme.txt encrypted with "Secret 42" and "texture/with space.bmp" open. python_many_entries.zip holds 65,539 entries, with the ZIP64
end record that their number calls for.

With --small the same archives hold files a thousand times smaller, behind a shorter prefix: the
fuzz target's seeds, small enough for the fuzzer to take whole.
"""
import io
import os
import random
import shutil
import struct
import subprocess
import sys
import time
import warnings
import zipfile
import zlib

PREFIX_LENGTH = 102467
STAMP = (2002, 1, 26, 9, 49, 14)


def source_files(scale):
    rng = random.Random(20020126)
    words = [b"runway", b"taxiway", b"apron", b"hangar", b"tower", b"beacon", b"\x00\x01"]
    scenery = b"".join(rng.choice(words) for _ in range(60000 // scale))  # compressible, binary
    noise = bytes(rng.getrandbits(8) for _ in range(40000 // scale))      # hardly compressible
    big = b"".join(rng.choice(words[:-1]) + b" %d\n" % i for i in range(400000 // scale))  # > 2 MiB
    return {
        "scenery/alpha.bgl": scenery,
        "scenery/Noise.BGL": noise,
        "scenery/big.bgl": big,
        "texture/with space.bmp": bytes(range(256)) * (40 // min(scale, 40)),
        "texture/sub/deep.0af": b"\x00" * (3000 // scale) + b"end",
        "texture/empty.r8": b"",
        "docs/readme.txt": b"first line\nsecond line\n\nlast line\n",
    }


def write_source(root, files):
    for name, data in files.items():
        path = os.path.join(root, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)
        stamp = time.mktime(STAMP + (0, 0, -1))
        os.utime(path, (stamp, stamp))


def python_archive(path, files, method):
    with zipfile.ZipFile(path, "w", method) as archive:
        for name, data in files.items():
            archive.writestr(zipfile.ZipInfo(name, STAMP), data, method)
        # Folder entries after the files stored under them, as in the installer's payload.
        for folder in ("texture/", "scenery/"):
            archive.writestr(zipfile.ZipInfo(folder, STAMP), b"")


class Unseekable(io.RawIOBase):
    """A stream zipfile cannot seek in, so that it writes data descriptors."""

    def __init__(self, target):
        self.target = target

    def writable(self):
        return True

    def write(self, data):
        return self.target.write(data)


def python_streamed_archive(path, root, files):
    with open(path, "wb") as out:
        with zipfile.ZipFile(Unseekable(out), "w", zipfile.ZIP_DEFLATED) as archive:
            for name in files:
                archive.write(os.path.join(root, *name.split("/")), name)


def zip_tool(output, source, *options, comment=None):
    output = os.path.abspath(output)
    command = ["zip", "-q", "-r", "-X", *options, output, "scenery", "texture", "docs"]
    if comment is not None:
        command.insert(1, "-z")
    subprocess.run(command, cwd=source, check=True, input=comment)


def zip_tool_streamed(output, source, *options):
    command = ["zip", "-q", "-r", "-X", *options, "-", "scenery", "texture", "docs"]
    piped = subprocess.run(command, cwd=source, check=True, stdout=subprocess.PIPE)
    with open(output, "wb") as out:
        out.write(piped.stdout)


def zip_tool_partly_password(output, source, password):
    """The first file encrypted, the second added afterwards without a password."""
    output = os.path.abspath(output)
    subprocess.run(["zip", "-q", "-X", "-P", password, output, "docs/readme.txt"],
                   cwd=source, check=True)
    subprocess.run(["zip", "-q", "-X", output, "texture/with space.bmp"], cwd=source, check=True)


# The wrong passwords the password tests give before the right one.
WRONG_PASSWORDS = (b"wrong", b"one", b"two", b"three")


def crc_byte(crc, byte):
    return ~zlib.crc32(bytes([byte]), ~crc & 0xFFFFFFFF) & 0xFFFFFFFF


def check_byte_passes(password, header, check_values):
    """Whether the traditional encryption's one-byte check lets this password through."""
    keys = [0x12345678, 0x23456789, 0x34567890]

    def update(byte):
        keys[0] = crc_byte(keys[0], byte)
        keys[1] = ((keys[1] + (keys[0] & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
        keys[2] = crc_byte(keys[2], keys[1] >> 24)

    for byte in password:
        update(byte)
    plain = 0
    for cipher in header:
        temp = (keys[2] | 2) & 0xFFFF
        plain = cipher ^ (((temp * (temp ^ 1)) >> 8) & 0xFF)
        update(plain)
    return plain in check_values


def wrong_passwords_pass(path):
    """True when a wrong password of the tests passes the check byte of a member of the
    archive: zip draws the encryption headers at random, and one in 256 lets a password by."""
    with zipfile.ZipFile(path) as archive, open(path, "rb") as raw:
        for info in archive.infolist():
            if not info.flag_bits & 1:
                continue
            raw.seek(info.header_offset)
            local = raw.read(30)
            name_length, extra_length = struct.unpack("<HH", local[26:30])
            raw.seek(info.header_offset + 30 + name_length + extra_length)
            header = raw.read(12)
            hour, minute, second = info.date_time[3:]
            dos_time = (hour << 11) | (minute << 5) | (second // 2)
            checks = {info.CRC >> 24, dos_time >> 8}
            if any(check_byte_passes(p, header, checks) for p in WRONG_PASSWORDS):
                return True
    return False


def zip_tool_rejecting_wrong_passwords(output, source, *options):
    for _ in range(100):
        if os.path.exists(output):
            os.remove(output)
        zip_tool(output, source, *options)
        if not wrong_passwords_pass(output):
            return
    raise SystemExit(f"{output}: no encryption headers that reject the tests' wrong passwords")


def python_many_entries(path):
    """More entries than the end record's 16-bit count holds, so that zipfile writes the ZIP64 end
    record: the same empty folder 65,536 times (each costs an extraction next to nothing), then
    the files that only a reader of the ZIP64 count finds."""
    warnings.filterwarnings("ignore", "Duplicate name")
    with zipfile.ZipFile(path, "w") as archive:
        for _ in range(65536):
            archive.writestr(zipfile.ZipInfo("many/", STAMP), b"")
        for i in range(3):
            archive.writestr(zipfile.ZipInfo(f"many/last{i}.txt", STAMP), b"entry %d\n" % i)


def prefixed(archive, output, length):
    rng = random.Random(7)
    with open(output, "wb") as out:
        out.write(b"MZ" + bytes(rng.getrandbits(8) for _ in range(length - 2)))
        with open(archive, "rb") as payload:
            out.write(payload.read())


def main():
    small = sys.argv[1] == "--small"
    out = sys.argv[-1]
    scale = 1000 if small else 1
    prefix_length = PREFIX_LENGTH // scale
    if os.path.isdir(out):
        shutil.rmtree(out)
    source = os.path.join(out, "source")
    files = source_files(scale)
    write_source(source, files)

    python_archive(os.path.join(out, "python_deflated.zip"), files, zipfile.ZIP_DEFLATED)
    python_archive(os.path.join(out, "python_stored.zip"), files, zipfile.ZIP_STORED)
    python_streamed_archive(os.path.join(out, "python_streamed.zip"), source, files)
    zip_tool(os.path.join(out, "zip_tool.zip"), source)
    zip_tool(os.path.join(out, "zip_comment.zip"), source,
             comment=b"Tarvik scenery update\nsecond comment line\n")
    zip_tool_rejecting_wrong_passwords(os.path.join(out, "zip_password.zip"), source, "-P",
                                       "Secret 42")
    zip_tool_streamed(os.path.join(out, "zip_streamed.zip"), source)
    zip_tool_streamed(os.path.join(out, "zip_streamed_password.zip"), source, "-P", "Secret 42")
    zip_tool_partly_password(os.path.join(out, "zip_partly_password.zip"), source, "Secret 42")
    prefixed(os.path.join(out, "python_deflated.zip"), os.path.join(out, "python_prefixed.exe"),
             prefix_length)
    prefixed(os.path.join(out, "zip_tool.zip"), os.path.join(out, "zip_tool_prefixed.exe"),
             prefix_length)
    if not small:
        python_many_entries(os.path.join(out, "python_many_entries.zip"))
    with open(os.path.join(out, "not_a_zip.txt"), "wb") as text:
        text.write(b"just some text, no archive here\n" * 20)


if __name__ == "__main__":
    main()
