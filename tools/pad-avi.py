#!/usr/bin/env python3
"""Grows an AVI file to an exact size with a trailing JUNK chunk.

usage: pad-avi.py INPUT.avi TARGET_SIZE OUTPUT.avi

The JUNK chunk (filled with zero bytes) is appended inside the top-level
RIFF 'AVI ' chunk, after everything already in it (normally idx1), and the
RIFF size field is updated.  AVI readers skip JUNK chunks.
"""

import struct
import sys


def fail(msg):
    sys.stderr.write("pad-avi: %s\n" % msg)
    sys.exit(1)


def main(argv):
    if len(argv) != 4:
        fail("usage: pad-avi.py INPUT.avi TARGET_SIZE OUTPUT.avi")
    src, target, dst = argv[1], int(argv[2]), argv[3]

    with open(src, "rb") as f:
        data = bytearray(f.read())

    if len(data) < 12 or data[0:4] != b"RIFF" or data[8:12] != b"AVI ":
        fail("%s is not a RIFF AVI file" % src)
    riff_size = struct.unpack_from("<I", data, 4)[0]
    if riff_size + 8 != len(data):
        fail("%s: RIFF chunk (%d bytes) does not span the whole file (%d bytes);"
             " files with more than one RIFF chunk are not supported"
             % (src, riff_size + 8, len(data)))
    if len(data) % 2:
        fail("%s: odd file size" % src)

    pad = target - len(data) - 8  # 8 = JUNK chunk header
    if pad < 0:
        fail("%s is %d bytes, too large to pad to %d" % (src, len(data), target))
    if pad % 2:
        fail("cannot reach an odd target size with word-aligned chunks")

    data += b"JUNK" + struct.pack("<I", pad) + bytes(pad)
    struct.pack_into("<I", data, 4, len(data) - 8)
    assert len(data) == target

    with open(dst, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv)
