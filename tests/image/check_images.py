#!/usr/bin/env python3
"""Checks the built inst.exe images: run-from-swap bits set, and no DLL imported beyond the system's.

  check_images.py OBJDUMP IMAGE [OBJDUMP IMAGE ...]
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
import pe_swaprun  # noqa: E402

# DLLs that every supported Windows has; anything else would have to lie beside the installer.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "shlwapi.dll",
    "ole32.dll", "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "msvcrt.dll", "version.dll",
}


def check(objdump, image):
    failures = []
    if not os.path.isfile(image):
        return [f"{image}: missing (the test command builds both architectures first)"]
    with open(image, "rb") as f:
        data = f.read()
    offset = pe_swaprun.characteristics_offset(data)
    flags = int.from_bytes(data[offset:offset + 2], "little")
    if flags & pe_swaprun.BOTH != pe_swaprun.BOTH:
        failures.append(f"{image}: characteristics 0x{flags:04x} lack run-from-swap 0x{pe_swaprun.BOTH:04x}")
    dump = subprocess.run([objdump, "-p", image], capture_output=True, text=True, check=True).stdout
    dlls = [line.split(":", 1)[1].strip().lower() for line in dump.splitlines() if "DLL Name:" in line]
    if not dlls:
        failures.append(f"{image}: no import table found")
    foreign = [d for d in dlls if d not in SYSTEM_DLLS]
    if foreign:
        failures.append(f"{image}: imports DLLs that are not the system's: {', '.join(foreign)}")
    print(f"{image}: characteristics 0x{flags:04x}; imports {', '.join(sorted(set(dlls)))}")
    return failures


def main(argv):
    args = argv[1:]
    if not args or len(args) % 2:
        print(__doc__, file=sys.stderr)
        return 2
    failures = []
    for objdump, image in zip(args[0::2], args[1::2]):
        failures += check(objdump, image)
    for f in failures:
        print("FAIL:", f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
