#!/usr/bin/env python3
"""Copies a 32-bit PE image with its Terminal Server aware mark cleared, for checking that
scripts/check-exe refuses an image without it.

Usage: without_tsaware.py EXE COPY

Fails (exit 1) when EXE is not a PE32 image or does not carry the mark itself.
"""
import struct
import sys

TERMINAL_SERVER_AWARE = 0x8000  # IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE
PE32_MAGIC = 0x10B
# DllCharacteristics: behind the 4-byte signature, the 20-byte file header and 70 bytes of the
# optional header.
CHARACTERISTICS_OFFSET = 4 + 20 + 70


def main(source, copy):
    with open(source, "rb") as image:
        data = bytearray(image.read())
    header = struct.unpack_from("<I", data, 0x3C)[0]
    if data[header:header + 4] != b"PE\0\0" or \
            struct.unpack_from("<H", data, header + 24)[0] != PE32_MAGIC:
        print(f"{source}: not a PE32 image")
        return 1
    at = header + CHARACTERISTICS_OFFSET
    characteristics = struct.unpack_from("<H", data, at)[0]
    if not characteristics & TERMINAL_SERVER_AWARE:
        print(f"{source}: not marked Terminal Server aware")
        return 1
    struct.pack_into("<H", data, at, characteristics & ~TERMINAL_SERVER_AWARE)
    with open(copy, "wb") as image:
        image.write(data)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
