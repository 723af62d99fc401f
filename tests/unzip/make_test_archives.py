#!/usr/bin/env python3
"""Writes the small archives the unzip tests read, byte for byte the same on every run.

plain.zip         a folder member, stored and deflated members, one and two folders deep
encrypted.zip     one member encrypted with the traditional PKWARE scheme (password "tarvik")
                  and one open member
self_extracting.exe  some program bytes with plain.zip appended behind them
"""

import os
import struct
import sys
import zlib

QUICK_FOX = b"The quick brown fox jumps over the lazy dog"
PASSWORD = b"tarvik"

# 26 January 2002, 09:49:00 as a DOS date and time.
DOS_DATE = ((2002 - 1980) << 9) | (1 << 5) | 26
DOS_TIME = (9 << 11) | (49 << 5) | 0

STORED = 0
DEFLATED = 8


def crc_table():
    table = []
    for n in range(256):
        c = n
        for _ in range(8):
            c = (0xEDB88320 ^ (c >> 1)) if c & 1 else (c >> 1)
        table.append(c)
    return table


CRC_TABLE = crc_table()


class TraditionalCipher:
    """The archive format's traditional encryption, keyed by a password."""

    def __init__(self, password):
        self.keys = [0x12345678, 0x23456789, 0x34567890]
        for byte in password:
            self.update(byte)

    def update(self, byte):
        k0, k1, k2 = self.keys
        k0 = CRC_TABLE[(k0 ^ byte) & 0xFF] ^ (k0 >> 8)
        k1 = ((k1 + (k0 & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
        k2 = CRC_TABLE[(k2 ^ (k1 >> 24)) & 0xFF] ^ (k2 >> 8)
        self.keys = [k0, k1, k2]

    def encrypt(self, data):
        out = bytearray()
        for byte in data:
            temp = (self.keys[2] | 2) & 0xFFFF
            out.append(byte ^ (((temp * (temp ^ 1)) >> 8) & 0xFF))
            self.update(byte)
        return bytes(out)


def deflate(data):
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
    return compressor.compress(data) + compressor.flush()


def build_archive(members):
    """members: (name, data, method, password or None). Returns the archive's bytes."""
    body = bytearray()
    central = bytearray()
    for name, data, method, password in members:
        raw_name = name.encode("utf-8")
        crc = zlib.crc32(data) & 0xFFFFFFFF
        packed = deflate(data) if method == DEFLATED else data
        flags = 0x0800 if any(c > 0x7F for c in raw_name) else 0
        if password is not None:
            flags |= 1
            header = bytes(range(1, 12)) + bytes([crc >> 24])
            packed = TraditionalCipher(password).encrypt(header + packed)
        offset = len(body)
        body += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, flags, method, DOS_TIME, DOS_DATE,
                            crc, len(packed), len(data), len(raw_name), 0)
        body += raw_name + packed
        external = 0x10 if name.endswith("/") else 0x20
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, flags, method, DOS_TIME,
                               DOS_DATE, crc, len(packed), len(data), len(raw_name), 0, 0, 0, 0,
                               external, offset)
        central += raw_name
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(members), len(members), len(central),
                      len(body), 0)
    return bytes(body + central + end)


def main(folder):
    os.makedirs(folder, exist_ok=True)
    texture = bytes(range(256)) * 40  # compresses well
    plain = build_archive([
        ("readme.txt", QUICK_FOX, STORED, None),
        ("texture/", b"", STORED, None),
        ("texture/a.bmp", texture, DEFLATED, None),
        ("scenery/tarvik/qiro.bgl", b"qiro " * 200, DEFLATED, None),
        ("scenery/x.bgl", b"x.bgl contents\r\n", STORED, None),
    ])
    encrypted = build_archive([
        ("secret.txt", QUICK_FOX, STORED, PASSWORD),
        ("open.txt", b"open", STORED, None),
    ])
    program = b"MZ" + b"\0" * 510 + b"program bytes before the archive" * 16
    outputs = {
        "plain.zip": plain,
        "encrypted.zip": encrypted,
        "self_extracting.exe": program + plain,
    }
    for name, data in outputs.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
