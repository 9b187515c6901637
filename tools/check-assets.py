#!/usr/bin/env python3
"""Checks the generated assets against the properties the installer expects.

  resources/banner.jpg  400x200 progressive (SOF2) JPEG, one greyscale
                        component, no metadata besides JFIF, 20000..30000 bytes
  resources/icon.ico    one 128x128 32-bit image in BMP (not PNG) form,
                        67624 bytes of image data at offset 22
  payload/Help.avi      RIFF AVI, 856x480, 25 frames/s, 1675 frames, one
                        XVID video stream, no audio, exactly 1819288 bytes

Prints one line per check and exits with status 1 if any check fails.
Only the Python standard library is used.  If djpeg happens to be
installed, the banner's plain lower band is decoded and checked as well.
"""

import os
import shutil
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

BANNER = os.path.join("resources", "banner.jpg")
ICON = os.path.join("resources", "icon.ico")
AVI = os.path.join("payload", "Help.avi")

failures = []


def check(name, ok, detail=""):
    line = "%-4s %s" % ("ok" if ok else "FAIL", name)
    if detail:
        line += ": " + detail
    print(line)
    if not ok:
        failures.append(name)
    return ok


def read(rel):
    path = os.path.join(ROOT, rel)
    if not check("%s exists" % rel, os.path.isfile(path)):
        return None
    with open(path, "rb") as f:
        return f.read()


# --------------------------------------------------------------------------
# banner.jpg

def jpeg_segments(data):
    """Yields (marker, payload) for the segments before the first SOS."""
    pos = 2
    while pos + 4 <= len(data):
        if data[pos] != 0xFF:
            raise ValueError("bad marker at offset %d" % pos)
        marker = data[pos + 1]
        if marker == 0xFF:  # fill byte
            pos += 1
            continue
        length = struct.unpack_from(">H", data, pos + 2)[0]
        yield marker, data[pos + 4:pos + 2 + length]
        if marker == 0xDA:
            return
        pos += 2 + length


def check_banner():
    data = read(BANNER)
    if data is None:
        return
    size = len(data)
    check("banner file size 20000..30000", 20000 <= size <= 30000, "%d bytes" % size)
    if not check("banner starts with SOI", data[:2] == b"\xff\xd8"):
        return
    try:
        segments = list(jpeg_segments(data))
    except (ValueError, struct.error) as e:
        check("banner marker structure", False, str(e))
        return
    markers = [m for m, _ in segments]
    sofs = [(m, p) for m, p in segments if 0xC0 <= m <= 0xCF and m not in (0xC4, 0xC8, 0xCC)]
    if not check("banner has one SOF marker", len(sofs) == 1,
                 ", ".join("0xFF%02X" % m for m, _ in sofs)):
        return
    marker, sof = sofs[0]
    check("banner is progressive (SOF2, 0xFFC2)", marker == 0xC2, "0xFF%02X" % marker)
    precision, height, width, ncomp = struct.unpack_from(">BHHB", sof, 0)
    check("banner is 400 x 200", (width, height) == (400, 200), "%d x %d" % (width, height))
    check("banner has 1 (greyscale) component", ncomp == 1, "%d" % ncomp)
    check("banner sample precision 8", precision == 8, "%d" % precision)
    extra = ["APP%d" % (m - 0xE0) for m in markers if 0xE1 <= m <= 0xEF]
    if 0xFE in markers:
        extra.append("COM")
    for m, p in segments:
        if m == 0xE0 and not p.startswith(b"JFIF\x00"):
            extra.append("APP0 (not JFIF)")
    check("banner has no metadata segments (EXIF/XMP/ICC/Adobe/COM)", not extra,
          ", ".join(extra) if extra else "")
    check("banner ends with EOI", data[-2:] == b"\xff\xd9")

    djpeg = shutil.which("djpeg")
    if not djpeg:
        print("skip banner rows 130..199 uniform (djpeg not installed)")
        return
    res = subprocess.run([djpeg, "-pnm", os.path.join(ROOT, BANNER)],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if not check("banner decodes with djpeg", res.returncode == 0 and res.stdout[:2] == b"P5",
                 res.stderr.decode(errors="replace").strip()):
        return
    # P5\n<w> <h>\n<max>\n<pixels>
    parts = res.stdout.split(b"\n", 3)
    w, h = (int(v) for v in parts[1].split())
    pixels = parts[3]
    band = set(pixels[130 * w:200 * w])
    check("banner rows 130..199 decode to one grey level", len(band) == 1,
          ", ".join("0x%02X" % v for v in sorted(band)[:8]))


# --------------------------------------------------------------------------
# icon.ico

def check_icon():
    data = read(ICON)
    if data is None:
        return
    if not check("icon has ICONDIR + ICONDIRENTRY", len(data) >= 22, "%d bytes" % len(data)):
        return
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    check("icon header (reserved 0, type 1 = icon)", (reserved, kind) == (0, 1),
          "reserved %d, type %d" % (reserved, kind))
    if not check("icon has exactly one image", count == 1, "%d" % count):
        return
    w, h, colours, res, planes, bpp, nbytes, offset = struct.unpack_from("<BBBBHHII", data, 6)
    check("icon entry is 128 x 128", (w, h) == (128, 128), "%d x %d" % (w, h))
    check("icon entry colour count 0, planes 1, 32 bpp", (colours, planes, bpp) == (0, 1, 32),
          "colours %d, planes %d, bpp %d" % (colours, planes, bpp))
    check("icon entry image size 67624", nbytes == 67624, "%d" % nbytes)
    check("icon entry offset 22", offset == 22, "%d" % offset)
    check("icon file size 22 + 67624", len(data) == 22 + 67624, "%d bytes" % len(data))
    image = data[offset:offset + nbytes]
    if not check("icon image is BMP, not PNG", image[:8] != b"\x89PNG\r\n\x1a\n" and len(image) >= 40):
        return
    (bi_size, bi_w, bi_h, bi_planes, bi_bpp, bi_comp) = struct.unpack_from("<IiiHHI", image, 0)
    check("icon BITMAPINFOHEADER size 40", bi_size == 40, "%d" % bi_size)
    check("icon bitmap 128 x 256 (image + mask)", (bi_w, bi_h) == (128, 256),
          "%d x %d" % (bi_w, bi_h))
    check("icon bitmap 1 plane, 32 bpp, BI_RGB", (bi_planes, bi_bpp, bi_comp) == (1, 32, 0),
          "planes %d, bpp %d, compression %d" % (bi_planes, bi_bpp, bi_comp))
    if len(image) != 40 + 128 * 128 * 4 + 128 * 16:
        return
    xor = image[40:40 + 128 * 128 * 4]
    mask = image[40 + 128 * 128 * 4:]
    alphas = xor[3::4]
    transparent = sum(1 for a in alphas if a == 0)
    opaque = sum(1 for a in alphas if a == 255)
    partial = len(alphas) - transparent - opaque
    check("icon has transparent, opaque and antialiased pixels",
          transparent > 0 and opaque > 0 and partial > 0,
          "%d / %d / %d" % (transparent, opaque, partial))
    mismatched = 0
    for i, a in enumerate(alphas):
        y, x = divmod(i, 128)
        bit = (mask[y * 16 + x // 8] >> (7 - x % 8)) & 1
        if bit != (1 if a == 0 else 0):
            mismatched += 1
    check("icon AND mask set exactly where alpha is 0", mismatched == 0,
          "%d mismatches" % mismatched if mismatched else "")


# --------------------------------------------------------------------------
# Help.avi

def riff_chunks(data, start, end):
    """Yields (id, list_type or None, data_start, data_end)."""
    end = min(end, len(data))
    pos = start
    while pos + 8 <= end:
        cid = data[pos:pos + 4]
        size = struct.unpack_from("<I", data, pos + 4)[0]
        body = pos + 8
        if cid in (b"RIFF", b"LIST"):
            yield cid, data[body:body + 4], body + 4, body + size
        else:
            yield cid, None, body, body + size
        pos = body + size + (size & 1)


def check_avi():
    data = read(AVI)
    if data is None:
        return
    check("AVI file size 1819288", len(data) == 1819288, "%d bytes" % len(data))
    if not check("AVI is RIFF 'AVI '", data[:4] == b"RIFF" and data[8:12] == b"AVI "):
        return
    riff_size = struct.unpack_from("<I", data, 4)[0]
    check("AVI RIFF size field matches file", riff_size + 8 == len(data),
          "%d + 8 vs %d" % (riff_size, len(data)))

    top = list(riff_chunks(data, 12, min(len(data), riff_size + 8)))
    hdrl = [c for c in top if c[0] == b"LIST" and c[1] == b"hdrl"]
    if not check("AVI has LIST hdrl", len(hdrl) == 1):
        return
    _, _, hs, he = hdrl[0]
    inner = list(riff_chunks(data, hs, he))
    avih = [c for c in inner if c[0] == b"avih"]
    if not check("AVI has avih", len(avih) == 1 and avih[0][3] - avih[0][2] >= 40):
        return
    (usec, _maxbps, _pad, _flags, total, _init, streams, _buf,
     width, height) = struct.unpack_from("<10I", data, avih[0][2])
    check("avih dwMicroSecPerFrame 40000 (25 fps)", usec == 40000, "%d" % usec)
    check("avih dwTotalFrames 1675", total == 1675, "%d" % total)
    check("avih dwStreams 1", streams == 1, "%d" % streams)
    check("avih 856 x 480", (width, height) == (856, 480), "%d x %d" % (width, height))

    strls = [c for c in inner if c[0] == b"LIST" and c[1] == b"strl"]
    if not check("AVI has exactly one stream list", len(strls) == 1, "%d" % len(strls)):
        return
    _, _, ss, se = strls[0]
    parts = {c[0]: c for c in riff_chunks(data, ss, se)}
    if not check("stream has strh and strf", b"strh" in parts and b"strf" in parts):
        return
    sh = parts[b"strh"][2]
    fcc_type, fcc_handler = data[sh:sh + 4], data[sh + 4:sh + 8]
    scale, rate, _start, length = struct.unpack_from("<4I", data, sh + 20)
    check("strh fccType 'vids' (video, no audio)", fcc_type == b"vids", repr(fcc_type))
    check("strh fccHandler 'XVID'", fcc_handler == b"XVID", repr(fcc_handler))
    check("strh rate/scale 25", scale != 0 and rate == 25 * scale, "%d/%d" % (rate, scale))
    check("strh dwLength 1675", length == 1675, "%d" % length)
    sf = parts[b"strf"][2]
    bi_w, bi_h = struct.unpack_from("<ii", data, sf + 4)
    compression = data[sf + 16:sf + 20]
    check("strf biCompression 'XVID'", compression == b"XVID", repr(compression))
    check("strf 856 x 480", (bi_w, abs(bi_h)) == (856, 480), "%d x %d" % (bi_w, bi_h))

    movi = [c for c in top if c[0] == b"LIST" and c[1] == b"movi"]
    if check("AVI has LIST movi", len(movi) == 1):
        frames = sum(1 for c in riff_chunks(data, movi[0][2], movi[0][3])
                     if c[0][:2] == b"00" and c[0][2:] in (b"dc", b"db"))
        check("movi holds 1675 video chunks", frames == 1675, "%d" % frames)
        others = sorted({c[0] for c in riff_chunks(data, movi[0][2], movi[0][3])
                         if c[0][:2] != b"00"})
        check("movi holds no other streams", not others,
              ", ".join(o.decode("latin-1") for o in others))
    idx1 = [c for c in top if c[0] == b"idx1"]
    if check("AVI has idx1", len(idx1) == 1):
        entries = (idx1[0][3] - idx1[0][2]) // 16
        check("idx1 has 1675 entries", entries == 1675, "%d" % entries)


def main():
    for name, fn in (("banner", check_banner), ("icon", check_icon), ("AVI", check_avi)):
        try:
            fn()
        except (ValueError, struct.error, IndexError, OSError) as e:
            check("%s is readable" % name, False, "%s: %s" % (type(e).__name__, e))
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
