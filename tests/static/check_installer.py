#!/usr/bin/env python3
"""Static checks of a built installer, read straight from its PE file.

  tests/static/check_installer.py INSTALLER.exe [--expect-machine i386|amd64]
      [--payload-program FILE [--standin-size BYTES]]
      [--banner FILE] [--tutorial FILE] [--answer FILE] [--install FILE]

What is checked:
  header     PE32 for i386 / PE32+ for amd64, the machine, the Windows GUI
             subsystem, a PE header TimeDateStamp of 0
  imports    only system DLLs that Windows loads from its own folder (a
             KnownDLLs-like allow-list), no delay-load imports
  icon       RT_GROUP_ICON "DEFAULT_ICON" with one entry: an RT_ICON of
             128 x 128 at 32 bpp, 67624 bytes, BMP form (biHeight 256)
  version    VS_FIXEDFILEINFO 2.3.0.0 (file and product) and the strings
             ProductName, CompanyName, OriginalFilename, FileDescription
  manifest   RT_MANIFEST 1: asInvoker, no DPI awareness, no dependency on
             Microsoft.Windows.Common-Controls (classic look)
  payload    each given file's exact bytes lie inside a read-only section;
             the payload program is a GUI PE of the same machine, of exactly
             --standin-size bytes when that is given
  paths      neither the repository's absolute path nor "/build/" appears

The banner, tutorial, answer and install files default to the repository's
own (resources/banner.jpg, payload/Help.avi, payload/Answer.ini,
payload/Install.ini); the payload program has no default, since it lives in
the build folder (build/<preset>/payload/VelkTest.exe).

Prints one line per check and a last line "static: N passed, N failed";
the exit status is 1 if any check failed. Python standard library only.
"""

import argparse
import os
import struct
import sys
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

MACHINES = {
    # name: (IMAGE_FILE_MACHINE_*, optional header magic, its name)
    "i386": (0x014C, 0x010B, "PE32"),
    "amd64": (0x8664, 0x020B, "PE32+"),
}
SUBSYSTEM_WINDOWS_GUI = 2
SCN_MEM_WRITE = 0x80000000

# DLLs that Windows always takes from its own folder (KnownDLLs and the
# like). COMCTL32 is not one of them: it is found side by side.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
    "shell32.dll", "ole32.dll", "oleaut32.dll", "msvcrt.dll",
}

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24

ICON_NAME = "DEFAULT_ICON"
ICON_SIZE = 128
ICON_BPP = 32
ICON_BYTES = 67624

VERSION = (2, 3, 0, 0)
VERSION_STRINGS = [
    # (key, expected value or None for "present and not empty")
    ("ProductName", "Quorvane"),
    ("CompanyName", "Tarnby"),
    ("OriginalFilename", "QuorvaneSetup.exe"),
    ("FileDescription", None),
]

DEFAULT_FILES = [
    # (option, the payload's name in the output, default in the repository)
    ("banner", "banner", os.path.join("resources", "banner.jpg")),
    ("tutorial", "tutorial", os.path.join("payload", "Help.avi")),
    ("answer", "answer", os.path.join("payload", "Answer.ini")),
    ("install", "install", os.path.join("payload", "Install.ini")),
]

passed = 0
failed = 0


def check(name, ok, detail=""):
    global passed, failed
    line = "%-4s %s" % ("ok" if ok else "FAIL", name)
    if detail:
        line += ": " + detail
    print(line)
    if ok:
        passed += 1
    else:
        failed += 1
    return ok


# --------------------------------------------------------------------------
# A small PE reader: headers, sections, data directories, imports, resources

class PEError(ValueError):
    pass


class Section:
    def __init__(self, name, vaddr, vsize, raw_offset, raw_size, flags):
        self.name = name
        self.vaddr = vaddr
        self.vsize = vsize
        self.raw_offset = raw_offset
        self.raw_size = raw_size
        self.flags = flags

    @property
    def writable(self):
        return bool(self.flags & SCN_MEM_WRITE)


class Resource:
    """One leaf of the resource tree: type, name, language and its bytes."""

    def __init__(self, rtype, name, lang, data):
        self.type = rtype
        self.name = name
        self.lang = lang
        self.data = data


class PE:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PEError("no MZ signature")
        nt = self.u32(0x3C)
        if data[nt:nt + 4] != b"PE\0\0":
            raise PEError("no PE signature at 0x%x" % nt)
        (self.machine, nsections, self.timestamp, _symtab, _nsyms, opt_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, nt + 4)
        opt = nt + 24
        self.magic = self.u16(opt)
        if self.magic == 0x010B:
            self.subsystem = self.u16(opt + 68)
            ndirs = self.u32(opt + 92)
            dirs = opt + 96
        elif self.magic == 0x020B:
            self.subsystem = self.u16(opt + 68)
            ndirs = self.u32(opt + 108)
            dirs = opt + 112
        else:
            raise PEError("unknown optional header magic 0x%x" % self.magic)
        self.directories = [struct.unpack_from("<II", data, dirs + 8 * i)
                            for i in range(min(ndirs, 16))]
        self.sections = []
        table = opt + opt_size
        for i in range(nsections):
            name, vsize, vaddr, raw_size, raw_offset = struct.unpack_from(
                "<8sIIII", data, table + 40 * i)
            flags = self.u32(table + 40 * i + 36)
            self.sections.append(Section(name.rstrip(b"\0").decode("latin-1"),
                                         vaddr, vsize, raw_offset, raw_size, flags))

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def directory(self, index):
        """(rva, size) of a data directory, (0, 0) when absent."""
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset_of(self, rva):
        for s in self.sections:
            if s.vaddr <= rva < s.vaddr + max(s.vsize, s.raw_size):
                if rva - s.vaddr >= s.raw_size:
                    raise PEError("RVA 0x%x lies in %s's uninitialised tail" % (rva, s.name))
                return s.raw_offset + rva - s.vaddr
        raise PEError("RVA 0x%x lies in no section" % rva)

    def section_at(self, offset, length):
        """The section whose raw data holds [offset, offset + length), or None."""
        for s in self.sections:
            if s.raw_offset <= offset and offset + length <= s.raw_offset + s.raw_size:
                return s
        return None

    def cstring(self, rva):
        start = self.offset_of(rva)
        end = self.data.index(b"\0", start)
        return self.data[start:end].decode("latin-1")

    def imported_dlls(self):
        rva, size = self.directory(1)
        if rva == 0 or size == 0:
            return []
        names = []
        pos = self.offset_of(rva)
        while True:
            descriptor = struct.unpack_from("<5I", self.data, pos)
            if descriptor == (0, 0, 0, 0, 0):
                return names
            names.append(self.cstring(descriptor[3]))
            pos += 20

    def resources(self):
        """All resource leaves, and the TimeDateStamps of the directory tables."""
        rva, size = self.directory(2)
        if rva == 0 or size == 0:
            return [], []
        base = self.offset_of(rva)
        leaves, stamps = [], []

        def name_of(entry_name):
            if entry_name & 0x80000000:
                at = base + (entry_name & 0x7FFFFFFF)
                length = self.u16(at)
                return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            return entry_name

        def walk(table, path):
            stamps.append(self.u32(table + 4))
            named, ids = struct.unpack_from("<HH", self.data, table + 12)
            for i in range(named + ids):
                entry_name, target = struct.unpack_from("<II", self.data, table + 16 + 8 * i)
                here = path + [name_of(entry_name)]
                if target & 0x80000000:
                    if len(here) >= 3:
                        raise PEError("resource tree deeper than three levels")
                    walk(base + (target & 0x7FFFFFFF), here)
                else:
                    if len(here) != 3:
                        raise PEError("resource leaf at level %d" % len(here))
                    data_rva, data_size = struct.unpack_from("<II", self.data, base + target)
                    start = self.offset_of(data_rva)
                    leaves.append(Resource(*here, self.data[start:start + data_size]))

        walk(base, [])
        return leaves, stamps


def version_nodes(data, pos=0, end=None):
    """Parses a VS_VERSIONINFO block into (key, value bytes, value type, children)."""
    if end is None:
        end = len(data)
    nodes = []
    while pos + 6 <= end:
        length, value_length, value_type = struct.unpack_from("<HHH", data, pos)
        if length == 0:
            break
        node_end = min(pos + length, end)
        key_end = pos + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[pos + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        value_size = value_length * 2 if value_type == 1 else value_length
        value = data[value_at:min(value_at + value_size, node_end)]
        children_at = (value_at + value_size + 3) & ~3
        children = version_nodes(data, children_at, node_end) if children_at < node_end else []
        nodes.append((key, value, value_type, children))
        pos = (pos + length + 3) & ~3
    return nodes


# --------------------------------------------------------------------------
# The checks

def check_header(pe, machine_name):
    machine, magic, magic_name = MACHINES[machine_name]
    check("optional header is %s (magic 0x%x)" % (magic_name, magic), pe.magic == magic,
          "0x%x" % pe.magic)
    check("machine is %s (0x%x)" % (machine_name, machine), pe.machine == machine,
          "0x%x" % pe.machine)
    check("subsystem is Windows GUI (2)", pe.subsystem == SUBSYSTEM_WINDOWS_GUI,
          "%d" % pe.subsystem)
    check("PE header TimeDateStamp is 0", pe.timestamp == 0, "0x%x" % pe.timestamp)


def check_imports(pe):
    dlls = pe.imported_dlls()
    foreign = [d for d in dlls if d.lower() not in SYSTEM_DLLS]
    check("imports only system DLLs", bool(dlls) and not foreign,
          "not allowed: " + ", ".join(foreign) if foreign else ", ".join(dlls))
    rva, size = pe.directory(13)
    check("no delay-load imports", rva == 0 and size == 0, "directory 0x%x, %d bytes" % (rva, size))


def check_icon(resources):
    groups = [r for r in resources if r.type == RT_GROUP_ICON and r.name == ICON_NAME]
    if not check("one RT_GROUP_ICON named %s" % ICON_NAME, len(groups) == 1,
                 "icon groups: %s" % ", ".join(
                     str(r.name) for r in resources if r.type == RT_GROUP_ICON)):
        return
    group = groups[0].data
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    if not check("icon group holds a single icon", (reserved, kind, count) == (0, 1, 1),
                 "reserved %d, type %d, count %d" % (reserved, kind, count)):
        return
    width, height, _colours, _res, _planes, bpp, nbytes, icon_id = struct.unpack_from(
        "<BBBBHHIH", group, 6)
    check("icon group entry is %d x %d at %d bpp, %d bytes"
          % (ICON_SIZE, ICON_SIZE, ICON_BPP, ICON_BYTES),
          (width, height, bpp, nbytes) == (ICON_SIZE, ICON_SIZE, ICON_BPP, ICON_BYTES),
          "%d x %d at %d bpp, %d bytes" % (width, height, bpp, nbytes))
    icons = [r for r in resources if r.type == RT_ICON and r.name == icon_id]
    if not check("icon group entry references an RT_ICON (id %d)" % icon_id, len(icons) == 1,
                 "found %d" % len(icons)):
        return
    image = icons[0].data
    check("RT_ICON is %d bytes" % ICON_BYTES, len(image) == ICON_BYTES, "%d" % len(image))
    bi_size, bi_width, bi_height, _planes, bi_bpp = struct.unpack_from("<IiiHH", image, 0)
    check("RT_ICON BITMAPINFOHEADER is %d x %d at %d bpp"
          % (ICON_SIZE, 2 * ICON_SIZE, ICON_BPP),
          (bi_size, bi_width, bi_height, bi_bpp) == (40, ICON_SIZE, 2 * ICON_SIZE, ICON_BPP),
          "biSize %d, %d x %d at %d bpp" % (bi_size, bi_width, bi_height, bi_bpp))


def check_version(resources):
    blocks = [r for r in resources if r.type == RT_VERSION]
    if not check("one RT_VERSION resource", len(blocks) == 1, "found %d" % len(blocks)):
        return
    nodes = version_nodes(blocks[0].data)
    if not check("version block is VS_VERSION_INFO",
                 len(nodes) == 1 and nodes[0][0] == "VS_VERSION_INFO" and len(nodes[0][1]) >= 52,
                 ", ".join(n[0] for n in nodes)):
        return
    _key, fixed, _type, children = nodes[0]
    signature, _struct_version, fv_ms, fv_ls, pv_ms, pv_ls = struct.unpack_from("<6I", fixed)
    check("VS_FIXEDFILEINFO signature 0xFEEF04BD", signature == 0xFEEF04BD, "0x%x" % signature)
    expected = ".".join(str(v) for v in VERSION)
    for what, ms, ls in (("file", fv_ms, fv_ls), ("product", pv_ms, pv_ls)):
        found = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        check("%s version is %s" % (what, expected), found == expected, found)
    strings = {}
    for key, _value, _type, tables in children:
        if key == "StringFileInfo":
            for _lang, _v, _t, entries in tables:
                for name, value, _t, _c in entries:
                    strings[name] = value.decode("utf-16-le").split("\0")[0]
    for name, wanted in VERSION_STRINGS:
        found = strings.get(name)
        if wanted is None:
            check("version string %s is present" % name, bool(found), repr(found))
        else:
            check("version string %s is %r" % (name, wanted), found == wanted, repr(found))


def check_manifest(resources):
    manifests = [r for r in resources if r.type == RT_MANIFEST]
    if not check("one manifest, RT_MANIFEST id 1",
                 [r.name for r in manifests] == [1],
                 "ids: %s" % ", ".join(str(r.name) for r in manifests)):
        return
    text = manifests[0].data
    try:
        root = ET.fromstring(text)
    except ET.ParseError as e:
        check("manifest is well-formed XML", False, str(e))
        return
    levels = [e.get("level") for e in root.iter() if e.tag.split("}")[-1] == "requestedExecutionLevel"]
    check('manifest requestedExecutionLevel level="asInvoker"', levels == ["asInvoker"],
          "levels: %s" % levels)
    lowered = text.lower()
    check("manifest declares no DPI awareness (dpiAware, dpiAwareness)",
          b"dpiaware" not in lowered)
    check("manifest has no dependency on Microsoft.Windows.Common-Controls",
          b"microsoft.windows.common-controls" not in lowered)


def check_embedded(pe, label, path):
    with open(path, "rb") as f:
        wanted = f.read()
    offsets = []
    at = pe.data.find(wanted)
    while at >= 0:
        offsets.append(at)
        at = pe.data.find(wanted, at + 1)
    if not check("%s bytes (%d) are in the installer" % (label, len(wanted)), bool(offsets),
                 os.path.relpath(path)):
        return
    places = []
    for at in offsets:
        section = pe.section_at(at, len(wanted))
        if section is None:
            places.append("0x%x (outside any section)" % at)
        elif section.writable:
            places.append("0x%x (%s, writable)" % (at, section.name))
    check("%s bytes lie in a read-only section" % label, not places,
          ", ".join(places) if places else
          ", ".join("0x%x (%s)" % (at, pe.section_at(at, len(wanted)).name) for at in offsets))


def check_payload_program(path, machine_name, standin_size):
    with open(path, "rb") as f:
        data = f.read()
    try:
        program = PE(data)
    except (PEError, struct.error) as e:
        check("payload program is a PE file", False, str(e))
        return
    machine = MACHINES[machine_name][0]
    check("payload program machine is %s (0x%x)" % (machine_name, machine),
          program.machine == machine, "0x%x" % program.machine)
    check("payload program subsystem is Windows GUI (2)",
          program.subsystem == SUBSYSTEM_WINDOWS_GUI, "%d" % program.subsystem)
    if standin_size is not None:
        check("payload program is %d bytes" % standin_size, len(data) == standin_size,
              "%d" % len(data))


def check_paths(data):
    for text in (ROOT, "/build/"):
        found = [enc for enc in ("utf-8", "utf-16-le") if text.encode(enc) in data]
        check("no %r in the file" % text, not found,
              "found as " + ", ".join(found) if found else "")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("installer")
    parser.add_argument("--expect-machine", choices=sorted(MACHINES), default="i386")
    parser.add_argument("--payload-program", metavar="FILE")
    parser.add_argument("--standin-size", type=int, metavar="BYTES",
                        help="the exact size the payload program must have")
    for option, _label, default in DEFAULT_FILES:
        parser.add_argument("--" + option, metavar="FILE", default=os.path.join(ROOT, default))
    args = parser.parse_args()
    if args.standin_size is not None and not args.payload_program:
        parser.error("--standin-size needs --payload-program")

    with open(args.installer, "rb") as f:
        data = f.read()
    steps = [("paths", lambda: check_paths(data))]
    try:
        pe = PE(data)
        resources, stamps = pe.resources()
    except (PEError, struct.error, IndexError, ValueError) as e:
        check("installer is a PE file with a readable resource directory", False,
              "%s: %s" % (type(e).__name__, e))
    else:
        steps += [
            ("header", lambda: check_header(pe, args.expect_machine)),
            ("imports", lambda: check_imports(pe)),
            ("icon", lambda: check_icon(resources)),
            ("version", lambda: check_version(resources)),
            ("manifest", lambda: check_manifest(resources)),
            ("resource time stamps", lambda: check(
                "resource directories carry no TimeDateStamp", not any(stamps),
                ", ".join("0x%x" % t for t in sorted(set(stamps)) if t))),
        ]
        payload = [(label, getattr(args, option)) for option, label, _ in DEFAULT_FILES]
        if args.payload_program:
            steps.append(("payload program", lambda: check_payload_program(
                args.payload_program, args.expect_machine, args.standin_size)))
            payload.insert(0, ("program", args.payload_program))
        for label, path in payload:
            steps.append(("%s bytes" % label,
                          lambda label=label, path=path: check_embedded(pe, label, path)))

    for name, run in steps:
        try:
            run()
        except (PEError, struct.error, IndexError, ValueError, OSError) as e:
            check("%s can be read" % name, False, "%s: %s" % (type(e).__name__, e))

    print("static: %d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
