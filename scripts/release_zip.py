#!/usr/bin/env python3
"""Writes a release zip that is the same bytes every time, and checks one.

  release_zip.py write ZIP FOLDER SECONDS   every file of FOLDER, in name order, stamped SECONDS (Unix time)
  release_zip.py check ZIP MACHINE TEXT...  the programs are PE files for MACHINE (0x8664 or 0x14c), and no
                                            file holds any of the TEXTs (the build's own paths)
"""
import struct
import sys
import time
import zipfile
from pathlib import Path

PROGRAMS = ("Brisklane.exe", "BrisklaneCapture.exe", "packet.dll")
REQUIRED = PROGRAMS + ("skin.smf", "README.txt")


def write(zip_path, folder, seconds):
    # DOS times have no zone and start in 1980; the same stamp, attributes and order for every file.
    stamp = time.gmtime(max(int(seconds), 315532800))[:6]
    files = sorted(p for p in Path(folder).rglob("*") if p.is_file())
    Path(zip_path).parent.mkdir(parents=True, exist_ok=True)
    with zipfile.ZipFile(zip_path, "w") as archive:
        for path in files:
            entry = zipfile.ZipInfo(path.relative_to(folder).as_posix(), date_time=stamp)
            entry.create_system = 0  # MS-DOS: no Unix owner or mode
            entry.external_attr = 0
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, path.read_bytes(), compresslevel=9)
    return 0


def pe_machine(data):
    """The machine field of a PE image, or None when the bytes are not one."""
    if len(data) < 0x40 or data[:2] != b"MZ":
        return None
    (offset,) = struct.unpack_from("<I", data, 0x3C)
    if offset + 6 > len(data) or data[offset : offset + 4] != b"PE\0\0":
        return None
    return struct.unpack_from("<H", data, offset + 4)[0]


def check(zip_path, machine, forbidden):
    problems = []
    with zipfile.ZipFile(zip_path) as archive:
        names = archive.namelist()
        problems += [f"{name} is missing" for name in REQUIRED if name not in names]
        if not any(name.startswith("licenses/") for name in names):
            problems.append("no licence notices")
        for name in names:
            data = archive.read(name)
            if name in PROGRAMS:
                found = pe_machine(data)
                if found != machine:
                    problems.append(f"{name}: machine {found:#x} instead of {machine:#x}" if found is not None
                                    else f"{name}: not a PE file")
            for text in forbidden:
                if text and text.encode() in data:
                    problems.append(f"{name} holds the build path {text}")
    for problem in problems:
        print(f"{zip_path}: {problem}")
    if not problems:
        print(f"{zip_path}: {len(names)} files, programs for machine {machine:#x}, no build paths")
    return 1 if problems else 0


def main(arguments):
    if len(arguments) == 4 and arguments[0] == "write":
        return write(arguments[1], arguments[2], arguments[3])
    if len(arguments) >= 3 and arguments[0] == "check":
        return check(arguments[1], int(arguments[2], 0), arguments[3:])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
