#!/usr/bin/env python3
"""Builds resources/icon.ico: one 128x128, 32-bit (BGRA) icon image in BMP form.

The picture is a green and white software box with a blue-grey optical disc
standing in front of its lower right corner, on a transparent background.

Everything is drawn from simple shapes (polygons, line segments, ellipses)
in a 128x128 coordinate space, y pointing down.  Each output pixel takes
SS x SS samples; colours are averaged with alpha weighting, so edges are
antialiased.  Only the Python standard library is used, and the output is
the same bytes on every run.
"""

import math
import os
import struct

SIZE = 128
SS = 4  # samples per pixel along each axis (SS*SS per pixel)

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
OUT = os.path.join(ROOT, "resources", "icon.ico")


# --------------------------------------------------------------------------
# colour helpers (colours are (r, g, b) tuples of floats 0..255)

def hexrgb(s):
    s = s.lstrip("#")
    return tuple(float(int(s[i:i + 2], 16)) for i in (0, 2, 4))


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# --------------------------------------------------------------------------
# geometry

def inside_polygon(px, py, pts):
    """Even-odd rule point-in-polygon test."""
    inside = False
    n = len(pts)
    j = n - 1
    for i in range(n):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > py) != (yj > py):
            x_cross = xi + (py - yi) * (xj - xi) / (yj - yi)
            if px < x_cross:
                inside = not inside
        j = i
    return inside


def dist_to_segment(px, py, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else ((px - ax) * dx + (py - ay) * dy) / length2
    t = max(0.0, min(1.0, t))
    cx, cy = ax + t * dx, ay + t * dy
    return math.hypot(px - cx, py - cy)


def lerp_pt(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)


# --------------------------------------------------------------------------
# the box
#
# A cabinet-style view: the front face is a rectangle, the side and the top
# are parallelograms shifted by (DX, DY).

FX0, FX1 = 10.0, 76.0     # front face, left/right
FY0, FY1 = 30.0, 118.0    # front face, top/bottom
DX, DY = 24.0, -16.0      # depth offset

F_TL, F_TR = (FX0, FY0), (FX1, FY0)
F_BL, F_BR = (FX0, FY1), (FX1, FY1)
B_TL, B_TR = (FX0 + DX, FY0 + DY), (FX1 + DX, FY0 + DY)
B_BR = (FX1 + DX, FY1 + DY)

FRONT = [F_TL, F_TR, F_BR, F_BL]
SIDE = [F_TR, B_TR, B_BR, F_BR]
TOP = [F_TL, B_TL, B_TR, F_TR]

BAND_Y0, BAND_Y1 = 64.0, 102.0    # broad green band on the front face

WHITE_TOP = hexrgb("#ffffff")
WHITE_BOTTOM = hexrgb("#e3e9e4")
GREEN = hexrgb("#2fa84a")
GREEN_DARK = hexrgb("#23873a")
SIDE_TOP = hexrgb("#1f7d35")
SIDE_BOTTOM = hexrgb("#145a25")
TOP_LIGHT = hexrgb("#8fdc9f")
TOP_DARK = hexrgb("#6cc47f")
OUTLINE = hexrgb("#0e3f1a")


def front_colour(x, y):
    t = (y - FY0) / (FY1 - FY0)
    if BAND_Y0 <= y <= BAND_Y1:
        # slight vertical shading inside the band
        return mix(GREEN, GREEN_DARK, (y - BAND_Y0) / (BAND_Y1 - BAND_Y0))
    base = mix(WHITE_TOP, WHITE_BOTTOM, t)
    # a faint highlight towards the left edge
    return mix(base, WHITE_TOP, 0.6 * max(0.0, 1.0 - (x - FX0) / 30.0))


def side_colour(x, y):
    # position along the depth (0 at the front edge, 1 at the back)
    u = (x - FX1) / DX
    # y relative to the front edge, following the slant
    yy = y - DY * u
    t = (yy - FY0) / (FY1 - FY0)
    base = mix(SIDE_TOP, SIDE_BOTTOM, t)
    return mix(base, SIDE_BOTTOM, 0.35 * u)


def top_colour(x, y):
    u = (FY0 - y) / -DY  # 0 at the front edge, 1 at the back edge
    return mix(TOP_LIGHT, TOP_DARK, u)


# A simple emblem on the upper white part of the front: a green square
# "window" tile with a white arrow pointing down (install).
EMB_CX, EMB_CY = (FX0 + FX1) / 2.0, 46.0
EMB_R = 12.0


def emblem(x, y):
    dx, dy = x - EMB_CX, y - EMB_CY
    # rounded square, corner radius 4
    r = 4.0
    qx = max(abs(dx) - (EMB_R - r), 0.0)
    qy = max(abs(dy) - (EMB_R - r), 0.0)
    if math.hypot(qx, qy) > r:
        return None
    # white downward arrow: shaft + head
    shaft = abs(dx) <= 2.6 and -7.5 <= dy <= 1.0
    head = dy >= -1.5 and dy <= 7.5 and abs(dx) <= (7.5 - dy) * 0.85
    if shaft or head:
        return WHITE_TOP
    return mix(GREEN, GREEN_DARK, (dy + EMB_R) / (2 * EMB_R))


BOX_EDGES = [
    (F_TL, F_TR), (F_TR, F_BR), (F_BR, F_BL), (F_BL, F_TL),
    (F_TR, B_TR), (B_TR, B_BR), (B_BR, F_BR),
    (F_TL, B_TL), (B_TL, B_TR),
]
EDGE_W = 1.1  # half width of the outline strokes


def box_colour(x, y):
    """Colour of the box at (x, y), or None outside it."""
    for a, b in BOX_EDGES:
        if dist_to_segment(x, y, a, b) <= EDGE_W:
            return OUTLINE
    if inside_polygon(x, y, FRONT):
        c = emblem(x, y)
        return c if c is not None else front_colour(x, y)
    if inside_polygon(x, y, SIDE):
        return side_colour(x, y)
    if inside_polygon(x, y, TOP):
        return top_colour(x, y)
    return None


# --------------------------------------------------------------------------
# the disc: an upright disc seen slightly from the side (an ellipse)

DCX, DCY = 91.0, 89.0
DRX, DRY = 29.0, 35.0
D_OUTLINE = hexrgb("#34485e")
D_DARK = hexrgb("#6f86a0")
D_LIGHT = hexrgb("#c3d0de")
D_SHINE = hexrgb("#f2f6fb")
D_HUB = hexrgb("#d9e1ea")
D_HUB_DARK = hexrgb("#9fb0c2")

R_OUT = 1.0
R_OUT_LINE = 0.93   # outer rim (outline) from here outward
R_HUB = 0.36        # clear hub ring
R_HUB_LINE = 0.33
R_HOLE_LINE = 0.19
R_HOLE = 0.14       # centre hole


def disc_colour(x, y):
    u = (x - DCX) / DRX
    v = (y - DCY) / DRY
    r = math.hypot(u, v)
    if r > R_OUT or r < R_HOLE:
        return None
    if r >= R_OUT_LINE or r <= R_HOLE_LINE:
        return D_OUTLINE
    a = math.atan2(v, u)
    if r <= R_HUB:
        if r >= R_HUB_LINE:
            return D_HUB_DARK
        return mix(D_HUB, D_HUB_DARK, (r - R_HOLE_LINE) / (R_HUB_LINE - R_HOLE_LINE) * 0.5)
    # data area: blue-grey, lighter towards upper left ...
    light = 0.5 + 0.5 * math.cos(a - math.radians(-135.0))
    base = mix(D_DARK, D_LIGHT, 0.25 + 0.6 * light)
    # ... with two opposite glossy wedges (the typical disc sheen)
    sheen = math.cos(2.0 * (a - math.radians(-60.0)))
    sheen = max(0.0, sheen) ** 6
    return mix(base, D_SHINE, 0.85 * sheen)


# Soft shadow of the disc on the box/ground (only drawn where something is
# behind it, or as a faint ground shadow).
def disc_shadow_alpha(x, y):
    u = (x - (DCX - 3.0)) / DRX
    v = (y - (DCY + 2.0)) / DRY
    r = math.hypot(u, v)
    if r > 1.06:
        return 0.0
    return 0.35 * min(1.0, (1.06 - r) / 0.12)


# --------------------------------------------------------------------------
# scene

def sample(x, y):
    """Returns (r, g, b, a) at a sample point; a is 0..1."""
    c = disc_colour(x, y)
    if c is not None:
        return c + (1.0,)
    c = box_colour(x, y)
    if c is not None:
        s = disc_shadow_alpha(x, y)
        if s > 0.0:
            c = mix(c, (0.0, 0.0, 0.0), s)
        return c + (1.0,)
    return (0.0, 0.0, 0.0, 0.0)


def render():
    """Returns rows (top-down) of (r, g, b, a) byte tuples."""
    offsets = [(k + 0.5) / SS for k in range(SS)]
    n = float(SS * SS)
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            ar = ag = ab = aa = 0.0
            for oy in offsets:
                for ox in offsets:
                    r, g, b, a = sample(px + ox, py + oy)
                    ar += r * a
                    ag += g * a
                    ab += b * a
                    aa += a
            if aa == 0.0:
                row.append((0, 0, 0, 0))
                continue
            alpha = int(round(255.0 * aa / n))
            row.append((int(round(ar / aa)), int(round(ag / aa)),
                        int(round(ab / aa)), alpha))
        rows.append(row)
    return rows


# --------------------------------------------------------------------------
# ICO writer (one BMP-format image)

def ico_bytes(rows):
    width = height = SIZE
    xor = bytearray()
    for row in reversed(rows):  # BMP rows are stored bottom-up
        for r, g, b, a in row:
            if a == 0:
                r = g = b = 0
            xor += bytes((b, g, r, a))
    mask_stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line

    header = struct.pack(
        "<IiiHHIIiiII",
        40,             # biSize
        width,          # biWidth
        height * 2,     # biHeight: image + mask
        1,              # biPlanes
        32,             # biBitCount
        0,              # biCompression = BI_RGB
        len(xor),       # biSizeImage
        0, 0,           # resolution
        0, 0,           # colours used / important
    )
    image = header + bytes(xor) + bytes(mask)

    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack(
        "<BBBBHHII",
        width & 0xFF,   # 128
        height & 0xFF,  # 128
        0,              # colour count
        0,              # reserved
        1,              # planes
        32,             # bit count
        len(image),     # bytes in resource
        6 + 16,         # offset of the image
    )
    return icondir + entry + image


def main():
    data = ico_bytes(render())
    os.makedirs(os.path.dirname(OUT), exist_ok=True)
    with open(OUT, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (os.path.relpath(OUT, ROOT), len(data)))


if __name__ == "__main__":
    main()
