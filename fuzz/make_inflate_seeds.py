#!/usr/bin/env python3
"""Makes the inflate fuzz target's seeds: raw deflate streams of words, noise and runs, as zlib's
deflate makes them at several levels and strategies, each after its four-byte expected size.
Usage: make_inflate_seeds.py OUTPUT_FOLDER"""
import os
import random
import struct
import sys
import zlib

folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)
rng = random.Random(7)
samples = {
    "words": b"".join(rng.choice([b"scenery ", b"texture ", b"Tarvik ", b"qiro "]) for _ in range(800)),
    "noise": bytes(rng.getrandbits(8) for _ in range(3000)),
    "runs": b"".join(bytes([65 + i % p for i in range(30 * p)]) for p in range(1, 12)),
    "empty": b"",
}
settings = {"stored": (0, zlib.Z_DEFAULT_STRATEGY), "fast": (1, zlib.Z_DEFAULT_STRATEGY),
            "best": (9, zlib.Z_DEFAULT_STRATEGY), "huffman": (6, zlib.Z_HUFFMAN_ONLY),
            "fixed": (6, zlib.Z_FIXED)}
for name, data in samples.items():
    for setting, (level, strategy) in settings.items():
        packer = zlib.compressobj(level, zlib.DEFLATED, -15, 8, strategy)
        stream = packer.compress(data) + packer.flush()
        with open(os.path.join(folder, f"{name}-{setting}"), "wb") as out:
            out.write(struct.pack("<I", len(data)) + stream)
