"""Checks that the oldest Windows a build is made for can load each of its binaries: the header's
OS and subsystem versions are that Windows's own, and every function a binary imports is one that
Windows has, by the lists kept beside this script.
  check-oldest-windows.py WINDOWS-IMPORTS MSVCRT-EXPORTS BINARY...
The build's processor, read from each binary, says which Windows is the oldest: Windows 2000 for
the 32-bit build, Windows XP x64 for the 64-bit one. Functions the kit looks up with GetProcAddress
are not imports and stay out of the check, as delay-loaded ones would: the loader asks for neither.
"""
import os
import struct
import sys

# Machine type: (oldest Windows by name, its version, the column of the msvcrt list).
OLDEST = {
    0x014C: ("Windows 2000", (5, 0), 0),
    0x8664: ("Windows XP x64", (5, 2), 1),
}
IMPORT_DIRECTORY = 1


def version_text(version):
    return "%d.%d" % version


def parse_version(text, where):
    major, dot, minor = text.partition(".")
    if not (dot and major.isdigit() and minor.isdigit()):
        raise ValueError(f"{where}: '{text}' is not a version such as 5.0")
    return int(major), int(minor)


def list_lines(path):
    """The list's lines without comments, each as (where, words)."""
    with open(path, encoding="utf-8") as file:
        for number, line in enumerate(file, 1):
            words = line.split("#", 1)[0].split()
            if words:
                yield f"{os.path.basename(path)}:{number}", words


def read_windows_imports(path):
    """{(dll, function or @ordinal): oldest version}; DLL names compare as Windows compares them."""
    known = {}
    for where, words in list_lines(path):
        if len(words) != 3:
            raise ValueError(f"{where}: want 'dll function version', not '{' '.join(words)}'")
        key = (words[0].lower(), words[1])
        if key in known:
            raise ValueError(f"{where}: {words[0]} {words[1]} is listed twice")
        known[key] = parse_version(words[2], where)
    return known


def read_msvcrt_exports(path):
    """{name: (version in the 32-bit msvcrt.dll or None, the same for the 64-bit one)}."""
    known = {}
    for where, words in list_lines(path):
        if len(words) != 3:
            raise ValueError(f"{where}: want 'name 32-bit 64-bit', not '{' '.join(words)}'")
        if words[0] in known:
            raise ValueError(f"{where}: {words[0]} is listed twice")
        known[words[0]] = tuple(None if word == "-" else parse_version(word, where)
                                for word in words[1:])
    return known


class Image:
    """The parts of a PE file the loader reads before it runs anything."""

    def __init__(self, path):
        with open(path, "rb") as file:
            self.data = file.read()
        if self.data[:2] != b"MZ":
            raise ValueError("not a PE file (no MZ header)")
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file (no PE signature)")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from(
            "<HHIIIHH", self.data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        if magic not in (0x10B, 0x20B):
            raise ValueError(f"unknown optional header magic {magic:#x}")
        self.wide = magic == 0x20B
        (os_major, os_minor, _, _, sub_major, sub_minor,
         self.win32_version) = struct.unpack_from("<HHHHHHI", self.data, optional + 40)
        self.os_version = (os_major, os_minor)
        self.subsystem_version = (sub_major, sub_minor)
        directories = optional + (112 if self.wide else 96)
        count = struct.unpack_from("<I", self.data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i)
                            for i in range(count)]
        table = optional + optional_size
        self.sections = []
        for i in range(sections):
            size, address, raw_size, raw_offset = struct.unpack_from(
                "<IIII", self.data, table + 40 * i + 8)
            self.sections.append((address, max(size, raw_size), raw_offset, raw_size))

    def offset(self, rva):
        for address, size, raw_offset, raw_size in self.sections:
            if address <= rva < address + size and rva - address < raw_size:
                return raw_offset + rva - address
        raise ValueError(f"address {rva:#x} lies in no section of the file")

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def thunks(self, rva):
        """Each name, or @ordinal, in the zero-ended table of imports at rva."""
        size, ordinal_flag = (8, 1 << 63) if self.wide else (4, 1 << 31)
        form = "<Q" if self.wide else "<I"
        while True:
            value = struct.unpack_from(form, self.data, self.offset(rva))[0]
            if value == 0:
                return
            if value & ordinal_flag:
                yield "@%d" % (value & 0xFFFF)
            else:
                # The hint comes first, then the name.
                yield self.string((value & 0x7FFFFFFF) + 2)
            rva += size

    def imports(self):
        """(dll, function or @ordinal) for every function the loader must find."""
        found = []
        if len(self.directories) > IMPORT_DIRECTORY and self.directories[IMPORT_DIRECTORY][0]:
            rva = self.directories[IMPORT_DIRECTORY][0]
            while True:
                lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data,
                                                               self.offset(rva))
                if name == 0:
                    break
                dll = self.string(name)
                found += [(dll, function) for function in self.thunks(lookup or first)]
                rva += 20
        return found


def header_faults(image, oldest_name, oldest):
    faults = []
    for field, value in (("OS version", image.os_version),
                         ("subsystem version", image.subsystem_version)):
        if value > oldest:
            faults.append(f"the {field} is {version_text(value)}, newer than {oldest_name} "
                          f"({version_text(oldest)})")
        elif value != oldest:
            faults.append(f"the {field} is {version_text(value)}, not {version_text(oldest)} as "
                          f"the toolchain file pins it for {oldest_name}")
    # Reserved, and zero by the PE format: Windows reads a value here as one to override the
    # version it reports to the program.
    if image.win32_version != 0:
        faults.append(f"Win32VersionValue is {image.win32_version:#x}, not 0")
    return faults


def import_faults(image, binary, own_dlls, windows_imports, msvcrt_exports):
    oldest_name, oldest, column = OLDEST[image.machine]
    imports = image.imports()
    if not imports:
        return [f"{binary}: no imports found, not even from kernel32.dll"]
    faults = []
    for dll, function in imports:
        key = dll.lower()
        if key in own_dlls:
            continue  # The kit's own library: the export check holds its names.
        if key == "msvcrt.dll":
            versions = msvcrt_exports.get(function)
            if versions is None:
                faults.append(f"{binary} imports msvcrt.dll {function}, which msvcrt-exports.txt "
                              f"does not list: add it with the versions of msvcrt.dll that have it")
                continue
            needs = versions[column]
            if needs is None:
                faults.append(f"{binary} imports msvcrt.dll {function}, which no msvcrt.dll for "
                              f"this processor exports by msvcrt-exports.txt")
                continue
            source = "msvcrt-exports.txt"
        else:
            needs = windows_imports.get((key, function))
            if needs is None:
                how = "by ordinal " + function[1:] if function.startswith("@") else function
                faults.append(f"{binary} imports {dll} {how}, which windows-imports.txt does not "
                              f"list: add '{key} {function} VERSION' with the oldest Windows its "
                              f"documentation page names")
                continue
            source = "windows-imports.txt"
        if needs > oldest:
            faults.append(f"{binary} imports {dll} {function}, which needs Windows "
                          f"{version_text(needs)} by {source}: newer than {oldest_name} "
                          f"({version_text(oldest)})")
    return faults


def main(args):
    if len(args) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        windows_imports = read_windows_imports(args[0])
        msvcrt_exports = read_msvcrt_exports(args[1])
    except (OSError, ValueError) as error:
        print(f"cannot read the lists: {error}", file=sys.stderr)
        return 1
    binaries = args[2:]
    own_dlls = {os.path.basename(path).lower() for path in binaries}
    faults = []
    for path in binaries:
        binary = os.path.basename(path)
        try:
            image = Image(path)
            if image.machine not in OLDEST:
                faults.append(f"{binary}: machine type {image.machine:#x} is neither x86 nor x64")
                continue
            oldest_name, oldest, _ = OLDEST[image.machine]
            faults += [f"{binary}: {fault}" for fault in header_faults(image, oldest_name, oldest)]
            faults += import_faults(image, binary, own_dlls, windows_imports, msvcrt_exports)
        except (OSError, ValueError, struct.error) as error:
            faults.append(f"{binary}: cannot read it: {error}")
    for fault in faults:
        print(fault)
    if not faults:
        print(f"{len(binaries)} binaries: headers and imports fit the oldest Windows")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
