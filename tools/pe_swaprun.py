#!/usr/bin/env python3
"""Marks a PE image to be loaded whole into memory before it runs (run from swap).

An installer started from disc 1 must survive disc 1 leaving the drive: without these bits the
system pages the image in from the disc on demand and faults once the disc is gone.

  pe_swaprun.py --set IMAGE     sets IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP and IMAGE_FILE_NET_RUN_FROM_SWAP
  pe_swaprun.py --check IMAGE   exits 1 unless both bits are set
The checksum is left alone: the loader checks it for drivers only, never for an exe.
"""
import struct
import sys

REMOVABLE_RUN_FROM_SWAP = 0x0400
NET_RUN_FROM_SWAP = 0x0800
BOTH = REMOVABLE_RUN_FROM_SWAP | NET_RUN_FROM_SWAP


def characteristics_offset(image: bytes) -> int:
    if image[:2] != b"MZ":
        raise ValueError("not an MZ image")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    # The COFF header follows the signature; Characteristics is its last field, at offset 18.
    return pe + 4 + 18


def main(argv):
    if len(argv) != 3 or argv[1] not in ("--set", "--check"):
        print(__doc__, file=sys.stderr)
        return 2
    path = argv[2]
    with open(path, "rb") as f:
        image = bytearray(f.read())
    try:
        offset = characteristics_offset(image)
    except ValueError as e:
        print(f"{path}: {e}", file=sys.stderr)
        return 1
    flags = struct.unpack_from("<H", image, offset)[0]
    if argv[1] == "--check":
        if flags & BOTH != BOTH:
            print(f"{path}: characteristics 0x{flags:04x} lack the run-from-swap bits 0x{BOTH:04x}", file=sys.stderr)
            return 1
        print(f"{path}: characteristics 0x{flags:04x}, run from swap on removable and network media")
        return 0
    struct.pack_into("<H", image, offset, flags | BOTH)
    with open(path, "r+b") as f:
        f.write(image)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
