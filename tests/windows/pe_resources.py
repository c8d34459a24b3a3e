#!/usr/bin/env python3
"""Reads the resources of a Windows program (PE32+) for scripts/test-windows,
without Windows: what Explorer would show and what the loader would use.

usage: pe_resources.py list FILE       one line "TYPE ID" per resource
       pe_resources.py version FILE    "FixedFileVersion=A.B.C.D", one line
                                       "Name=Value" per version string, and
                                       "Translation=LLLL CCCC"
       pe_resources.py manifest FILE   the application manifest's text
"""
import struct
import sys

RESOURCE_DIRECTORY = 2  # index in the optional header's data directories
PE32_PLUS = 0x20B
RT_VERSION = 16
RT_MANIFEST = 24
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD
SUBDIRECTORY = 0x80000000
TEXT_VALUE = 1


def fail(message):
    sys.exit("pe_resources.py: " + message)


class Image:
    def __init__(self, path):
        self.data = open(path, "rb").read()
        if self.data[:2] != b"MZ":
            fail(path + " is not a Windows program")
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            fail(path + " has no PE header")
        sections, optional_size = struct.unpack_from("<2xH12xH", self.data, pe + 4)
        optional = pe + 24
        if struct.unpack_from("<H", self.data, optional)[0] != PE32_PLUS:
            fail(path + " is not a 64-bit program")
        directories = optional + 112
        self.resource_rva = struct.unpack_from("<I", self.data, directories + 8 * RESOURCE_DIRECTORY)[0]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            size, rva, raw_size, raw = struct.unpack_from("<8xIIII", self.data, table + 40 * i)
            self.sections.append((rva, max(size, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        fail("address 0x%x is in no section" % rva)

    def resources(self):
        """(type, id, language, bytes) of every resource."""
        if self.resource_rva == 0:
            return []
        base = self.offset(self.resource_rva)
        found = []

        def walk(directory, path):
            names, ids = struct.unpack_from("<12xHH", self.data, base + directory)
            for i in range(names + ids):
                key, value = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                if value & SUBDIRECTORY:
                    walk(value & ~SUBDIRECTORY, path + [key])
                else:
                    rva, size = struct.unpack_from("<II", self.data, base + value)
                    start = self.offset(rva)
                    found.append((path[0], path[1], key, self.data[start:start + size]))

        walk(0, [])
        return found


def aligned(offset):
    return (offset + 3) & ~3


def version_block(data, offset):
    """(key, value, children) of one VS_VERSIONINFO block, and where it ends."""
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_end = offset + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[offset + 6:key_end].decode("utf-16-le")
    value_start = aligned(key_end + 2)
    value_size = value_length * 2 if kind == TEXT_VALUE else value_length
    value = data[value_start:value_start + value_size]
    children = []
    child = aligned(value_start + value_size)
    while child < end:
        block, child = version_block(data, child)
        children.append(block)
        child = aligned(child)
    return (key, value, children), end


def print_version(data):
    (_key, fixed, children), _ = version_block(data, 0)
    signature, _, ms, ls = struct.unpack_from("<IIII", fixed)
    if signature != FIXED_FILE_INFO_SIGNATURE:
        fail("the version resource has no fixed file information")
    print("FixedFileVersion=%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF))
    for key, _value, blocks in children:
        for name, value, strings in blocks:
            if key == "StringFileInfo":
                print("StringTable=" + name)
                for string, text, _ in strings:
                    print("%s=%s" % (string, text.decode("utf-16-le").rstrip("\0")))
            elif key == "VarFileInfo" and name == "Translation":
                language, code_page = struct.unpack_from("<HH", value)
                print("Translation=%04x %04x" % (language, code_page))


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("list", "version", "manifest"):
        sys.exit(__doc__)
    resources = Image(sys.argv[2]).resources()
    if sys.argv[1] == "list":
        for kind, ident, _language, _data in resources:
            print(kind, ident)
        return
    wanted = RT_VERSION if sys.argv[1] == "version" else RT_MANIFEST
    matching = [data for kind, _, _, data in resources if kind == wanted]
    if not matching:
        fail("no %s resource" % sys.argv[1])
    if wanted == RT_VERSION:
        print_version(matching[0])
    else:
        sys.stdout.write(matching[0].decode("utf-8"))


if __name__ == "__main__":
    main()
