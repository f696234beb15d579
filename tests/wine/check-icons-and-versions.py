"""Checks each program's icon 128 and version resource as they stand in the .exe: the icon has
one 32 by 32 and one 16 by 16 image of 16 colours, each image it names is there, and the version
resource gives the project's version for both the file and the product.
  check-icons-and-versions.py WINDRES VERSION EXE...
"""
import os
import struct
import subprocess
import sys
import tempfile

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16


def read_id(data, offset):
    """A .res header's type or name: an ordinal after 0xFFFF, else a zero-ended UTF-16 name."""
    if struct.unpack_from("<H", data, offset)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, offset + 2)[0], offset + 4
    end = offset
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[offset:end].decode("utf-16-le"), end + 2


def resources(windres, exe):
    """Every resource of the program as {(type, name): [data, one for each language]}."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "program.res")
        subprocess.run([windres, "-i", exe, "-O", "res", "-o", path], check=True)
        with open(path, "rb") as file:
            data = file.read()
    found = {}
    offset = 0
    while offset + 8 <= len(data):
        size, header = struct.unpack_from("<II", data, offset)
        kind, after = read_id(data, offset + 8)
        name, _ = read_id(data, after)
        found.setdefault((kind, name), []).append(data[offset + header:offset + header + size])
        offset = (offset + header + size + 3) & ~3
    return found


def icon_faults(found):
    groups = found.get((RT_GROUP_ICON, 128), [])
    if len(groups) != 1:
        return [f"{len(groups)} icons 128 instead of one"]
    group = groups[0]
    count = struct.unpack_from("<H", group, 4)[0]
    faults = [] if count == 2 else [f"icon 128 has {count} images instead of two"]
    sizes = set()
    for i in range(count):
        width, height, colours, _, _, bits, length, number = struct.unpack_from(
            "<BBBBHHIH", group, 6 + 14 * i)
        sizes.add((width, height))
        if (colours, bits) != (16, 4):
            faults.append(f"image {number} says {colours} colours in {bits} bits, not 16 in 4")
        images = found.get((RT_ICON, number), [])
        if len(images) != 1 or len(images[0]) != length:
            faults.append(f"image {number} is not there as icon 128 names it")
            continue
        # The image itself, a DIB of the icon's width and twice its height (colour and mask).
        _, dib_width, dib_height, _, dib_bits = struct.unpack_from("<IiiHH", images[0])
        if (dib_width, dib_height, dib_bits) != (width, 2 * height, 4):
            faults.append(f"image {number} is {dib_width}x{dib_height // 2} in {dib_bits} bits")
    if sizes != {(32, 32), (16, 16)}:
        faults.append(f"icon 128 has the sizes {sorted(sizes)}, not 32x32 and 16x16")
    return faults


def version_numbers(version):
    """The two 32-bit halves a VS_FIXEDFILEINFO holds "a.b.c.d" in."""
    a, b, c, d = (int(part) for part in version.split("."))
    return (a << 16 | b, c << 16 | d)


def version_faults(found, version):
    expected = version_numbers(version)
    blocks = [data for (kind, _), copies in found.items() if kind == RT_VERSION
              for data in copies]
    if len(blocks) != 1:
        return [f"{len(blocks)} version resources instead of one"]
    block = blocks[0]
    key = "VS_VERSION_INFO\0".encode("utf-16-le")
    # VS_FIXEDFILEINFO follows the header and its key, on a 32-bit boundary.
    fixed = (6 + len(key) + 3) & ~3
    if block[6:6 + len(key)] != key or len(block) < fixed + 52:
        return ["the version resource is not a VS_VERSION_INFO"]
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from(
        "<6I", block, fixed)
    if signature != 0xFEEF04BD:
        return ["the version resource has no VS_FIXEDFILEINFO"]
    faults = []
    if (file_ms, file_ls) != expected:
        faults.append(f"file version {file_ms:#010x} {file_ls:#010x}, not {version}")
    if (product_ms, product_ls) != expected:
        faults.append(f"product version {product_ms:#010x} {product_ls:#010x}, not {version}")
    return faults


def main(windres, version, *programs):
    failed = False
    for exe in programs:
        found = resources(windres, exe)
        for fault in icon_faults(found) + version_faults(found, version):
            print(f"{exe}: {fault}")
            failed = True
    if not failed:
        print(f"icon 128 and version {version} as expected in:", *programs)
    return 1 if failed or not programs else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
