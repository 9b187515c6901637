#!/usr/bin/env python3
"""Size table of the 32-bit and 64-bit installers: what their bytes are.

  tools/bench-size.py INSTALLER32 INSTALLER64 [--payload-bytes N]

The payload is what the build embedded: the files named by the .incbin lines
of <build>/payload/quorvane_payload_embedded.S, <build> being the folder two
levels above the installer (build/<preset>/app/QuorvaneSetup.exe). Each file
is looked up in the installer, which tells the section that holds it.
--payload-bytes N takes N as the payload of both files instead; the section
holding it is then not known.

Prints for each file, tab-separated,

  SIZE  <win32|win64>  <part>  <bytes>  <share of the overhead, %>

for the file, the payload, the overhead (file minus payload), the headers,
each section's raw size (and the payload's section without the payload), the
resources in .rsrc by type plus the tables around them, and what lies after
the last section (the Authenticode signature, other trailing bytes). Then

  RATIO  size  win32 overhead  <KB>  < 320 KB
  RATIO  size  win64 overhead  <KB>  -

with KB = 1024 bytes. Parts that do not add up are reported on stderr and
make the exit status 1. Python standard library only.
"""

import argparse
import os
import re
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "static"))
from check_installer import PE, PEError  # noqa: E402

RESOURCE_TYPES = {
    1: "cursor", 2: "bitmap", 3: "icon", 4: "menu", 5: "dialog", 6: "string table",
    7: "font directory", 8: "font", 9: "accelerators", 10: "raw data",
    11: "message table", 12: "group cursor", 14: "group icon", 16: "version",
    17: "dialog include", 19: "plug and play", 20: "vxd", 21: "animated cursor",
    22: "animated icon", 23: "html", 24: "manifest",
}
GOALS = {"win32": "< 320 KB", "win64": "-"}

problems = []


def payload_files(installer):
    """The files the installer's build embedded as payload."""
    build = os.path.dirname(os.path.dirname(os.path.abspath(installer)))
    listing = os.path.join(build, "payload", "quorvane_payload_embedded.S")
    try:
        with open(listing) as f:
            files = re.findall(r'\.incbin\s+"([^"]+)"', f.read())
    except OSError as e:
        sys.exit("%s: cannot read the build's payload list (%s); give --payload-bytes"
                 % (installer, e))
    if not files:
        sys.exit("%s: no .incbin in %s" % (installer, os.path.relpath(listing)))
    return files


def payload_in(pe, files):
    """Bytes of payload, and bytes of it per section holding it."""
    total, by_section = 0, {}
    for path in files:
        with open(path, "rb") as f:
            wanted = f.read()
        at = pe.data.find(wanted)
        section = pe.section_at(at, len(wanted)) if at >= 0 else None
        if section is None:
            sys.exit("%s (%d bytes) is not inside any section of the installer"
                     % (os.path.relpath(path), len(wanted)))
        total += len(wanted)
        by_section[section.name] = by_section.get(section.name, 0) + len(wanted)
        print("payload: %s, %d bytes, in %s" % (os.path.relpath(path), len(wanted), section.name),
              file=sys.stderr)
    return total, by_section


def add_up(label, whole, parts):
    found = sum(parts)
    if found != whole:
        problems.append("%s: the parts add up to %d bytes, not %d" % (label, found, whole))


def table(label, path, payload_bytes):
    with open(path, "rb") as f:
        data = f.read()
    pe = PE(data)
    if payload_bytes is None:
        payload, by_section = payload_in(pe, payload_files(path))
    else:
        payload, by_section = payload_bytes, {}
    overhead = len(data) - payload
    rows = [("file", len(data)), ("payload", payload), ("overhead", overhead)]

    stored = sorted((s for s in pe.sections if s.raw_size), key=lambda s: s.raw_offset)
    headers = stored[0].raw_offset if stored else len(data)
    top = [("headers", headers)]
    gaps, end = 0, headers
    for s in sorted(pe.sections, key=lambda s: (s.raw_size == 0, s.raw_offset)):
        top.append((s.name, s.raw_size))
        if s.name in by_section:
            top.append(("%s without payload" % s.name, s.raw_size - by_section[s.name]))
        if s.raw_size:
            gaps += max(0, s.raw_offset - end)
            end = max(end, s.raw_offset + s.raw_size)
    if gaps:
        top.append(("gaps between sections", gaps))
    signature_at, signature = pe.directory(4)  # a file offset, not an address
    if signature and signature_at >= end:
        top.append(("padding before the signature", signature_at - end))
        top.append(("signature", signature))
        end = signature_at + signature
    elif signature:
        problems.append("%s: the signature at 0x%x lies before the end of the sections"
                        % (label, signature_at))
    if len(data) > end:
        top.append(("trailing bytes", len(data) - end))
    add_up(label + " file", len(data),
           [size for name, size in top if not name.endswith(" without payload")])
    rows += top

    resources, _ = pe.resources()
    rsrc_rva = pe.directory(2)[0]
    rsrc = next((s for s in pe.sections if s.vaddr <= rsrc_rva < s.vaddr + max(s.vsize, 1)), None)
    if rsrc is not None:
        by_type = {}
        for r in resources:
            name = RESOURCE_TYPES.get(r.type, str(r.type))
            by_type[name] = by_type.get(name, 0) + len(r.data)
        parts = [("%s %s" % (rsrc.name, name), size) for name, size in by_type.items()]
        parts.append(("%s tables and padding" % rsrc.name, rsrc.raw_size - sum(by_type.values())))
        add_up(label + " " + rsrc.name, rsrc.raw_size, [size for _, size in parts])
        rows += parts

    for part, size in rows:
        share = 100.0 * size / overhead if overhead else float("nan")
        print("SIZE\t%s\t%s\t%d\t%.1f" % (label, part, size, share))
    return overhead


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("installer32")
    parser.add_argument("installer64")
    parser.add_argument("--payload-bytes", type=int, metavar="N",
                        help="the payload's bytes in each file (default: from the build)")
    args = parser.parse_args()
    overheads = {}
    for label, path in (("win32", args.installer32), ("win64", args.installer64)):
        try:
            overheads[label] = table(label, path, args.payload_bytes)
        except (OSError, PEError, ValueError, struct.error) as e:
            sys.exit("%s: %s" % (path, e))
    for label, overhead in overheads.items():
        print("RATIO\tsize\t%s overhead\t%.1f\t%s" % (label, overhead / 1024.0, GOALS[label]))
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
