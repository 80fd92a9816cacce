#!/usr/bin/env python3
"""Writes the benchmark's data sets into a folder (the Wine prefix's drive H: during the runs).

  make_data.py FOLDER large|small|startup

large:   1 GiB in four files of 256 MiB.
small:   3,000 files of 1 to 64 KiB in nested folders.
startup: 5,000 files of 1 to 8 KiB and an inst.inf whose one install type lists all of them.
The bytes are pseudo-random but fixed (seeded), so that every run copies the same data.
"""
import os
import random
import sys

MIB = 1 << 20


def write_large(root):
    rng = random.Random(1)
    # One random MiB, varied per MiB, written 256 times per file: fast to make, no two blocks alike.
    base = bytearray(rng.getrandbits(8) for _ in range(MIB))
    for n in range(4):
        with open(os.path.join(root, "big%d.bin" % n), "wb") as out:
            for m in range(256):
                base[0:8] = (n * 256 + m).to_bytes(8, "little")
                out.write(base)


def nested_folder(index, fanout):
    """Folder of file number index: two levels, a few files also at the top."""
    if index % 25 == 0:
        return ""
    return os.path.join("d%02d" % (index % fanout), "s%02d" % ((index // fanout) % fanout))


def write_files(root, count, max_kib, rng, prefix):
    pool = bytes(rng.getrandbits(8) for _ in range(max_kib * 1024 + 4096))
    names = []
    for i in range(count):
        folder = nested_folder(i, 10)
        os.makedirs(os.path.join(root, folder), exist_ok=True)
        size = rng.randint(1024, max_kib * 1024)
        start = rng.randint(0, 4096)
        name = os.path.join(folder, "%s%05d.dat" % (prefix, i)) if folder else "%s%05d.dat" % (prefix, i)
        with open(os.path.join(root, name), "wb") as out:
            out.write(pool[start:start + size])
        names.append(name.replace("/", "\\"))
    return names


def write_startup(root):
    names = write_files(root, 5000, 8, random.Random(3), "e")
    lines = ['AppName = "BenchGame";', 'AppNameW = "BenchGame";', 'VenderName = "BenchSoft";',
             'InstType = "Full";', 'InstTypeDesc = "all";', "Full ="]
    lines += ['  "%s"' % name for name in names]
    lines.append("  ;")
    with open(os.path.join(root, "inst.inf"), "w", newline="\r\n") as out:
        out.write("\n".join(lines) + "\n")


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in ("large", "small", "startup"):
        sys.exit(__doc__)
    root = os.path.join(sys.argv[1], sys.argv[2])
    os.makedirs(root, exist_ok=True)
    if sys.argv[2] == "large":
        write_large(root)
    elif sys.argv[2] == "small":
        write_files(root, 3000, 64, random.Random(2), "f")
    else:
        write_startup(root)


if __name__ == "__main__":
    main()
