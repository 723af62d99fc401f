#!/usr/bin/env python3
"""Records the digest of the unzip library the build linked, for the installer to know it again.

  library_digest.py LIBRARY HEADER

Writes HEADER, a C++ header with the digest as kBuiltLibraryDigest. The digest is the one of
library_digest.cpp: SHA-256 over the file without a Windows program file's header checksum, its
certificate table's entry and the certificate table, padded with zeros to a multiple of 8 bytes
as signing pads it; any other file whole, padded the same way."""

import hashlib
import struct
import sys
from pathlib import Path


def signing_fields(data):
    """The checksum's position and the certificate table entry's (or None), or None for a file
    that is not a Windows program file."""
    if len(data) < 0x40 or data[:2] != b"MZ":
        return None
    header = struct.unpack_from("<I", data, 0x3C)[0]
    optional = header + 24
    if header > len(data) or optional + 2 > len(data) or data[header:header + 4] != b"PE\0\0":
        return None
    magic = struct.unpack_from("<H", data, optional)[0]
    if magic not in (0x10B, 0x20B):
        return None
    counts = optional + (108 if magic == 0x20B else 92)
    if counts + 4 > len(data):
        return None
    entry = counts + 4 + 8 * 4
    has_entry = struct.unpack_from("<I", data, counts)[0] > 4 and entry + 8 <= len(data)
    return optional + 64, entry if has_entry else None


def library_digest(data):
    left_out = []
    padding = -len(data) % 8
    fields = signing_fields(data)
    if fields:
        checksum, entry = fields
        left_out.append((checksum, checksum + 4))
        if entry is not None:
            left_out.append((entry, entry + 8))
            table, size = struct.unpack_from("<II", data, entry)
            if size > 0 and entry + 8 <= table <= len(data) and size <= len(data) - table:
                left_out.append((table, table + size))
                padding = -table % 8
    keep = bytearray(data)
    for begin, end in sorted(left_out, reverse=True):
        del keep[begin:end]
    return hashlib.sha256(bytes(keep) + bytes(padding)).digest()


def main():
    library, header = Path(sys.argv[1]), Path(sys.argv[2])
    digest = library_digest(library.read_bytes())
    values = ", ".join(f"0x{byte:02x}" for byte in digest)
    header.parent.mkdir(parents=True, exist_ok=True)
    header.write_text(
        "#pragma once\n"
        f"// Written by the build from {library.name}: the digest of the unzip library it linked\n"
        "// (unzip/library_digest.h). The installer loads no other.\n\n"
        "#include \"platform/sha256.h\"\n\n"
        "namespace tarvik {\n\n"
        f"inline constexpr Sha256Digest kBuiltLibraryDigest = {{{values}}};\n\n"
        "}  // namespace tarvik\n")


if __name__ == "__main__":
    main()
