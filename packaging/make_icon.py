#!/usr/bin/env python3
"""Draws the program's icon, packaging/scenario-compiler.ico: a track in
perspective (two rails on sleepers) on a blue rounded square, at 16, 24, 32,
48 and 256 pixels, 32-bit with alpha. The .ico is committed; run this by hand
after changing the drawing: python3 packaging/make_icon.py"""
import os
import struct
import zlib

SIZES = (16, 24, 32, 48, 256)
SAMPLES = 4  # per axis, for smooth edges

BACKGROUND = (28, 78, 138)
SLEEPER = (176, 132, 84)
RAIL = (238, 240, 244)

TOP, BOTTOM = 0.14, 0.90  # where the track starts and ends, top to bottom


def lerp(a, b, t):
    return a + (b - a) * t


def rail_centres(t):
    """The two rails' centres at depth t (0 far, 1 near)."""
    half_gap = lerp(0.07, 0.26, t)
    return 0.5 - half_gap, 0.5 + half_gap


def inside_rounded_square(x, y):
    r = 0.2
    dx = max(r - x, 0.0, x - (1 - r))
    dy = max(r - y, 0.0, y - (1 - r))
    return 0.0 <= x <= 1 and 0.0 <= y <= 1 and dx * dx + dy * dy <= r * r


def colour_at(x, y):
    """The colour at (x, y) in the unit square, None outside the icon."""
    if not inside_rounded_square(x, y):
        return None
    colour = BACKGROUND
    if TOP <= y <= BOTTOM:
        t = (y - TOP) / (BOTTOM - TOP)
        left, right = rail_centres(t)
        # Sleepers: nearer ones are further apart and thicker.
        for s in (0.0, 0.2, 0.42, 0.68, 0.97):
            centre = TOP + (BOTTOM - TOP) * s
            half = lerp(0.012, 0.035, s)
            reach = lerp(0.05, 0.09, s)
            if abs(y - centre) <= half and left - reach <= x <= right + reach:
                colour = SLEEPER
        half_width = lerp(0.014, 0.04, t)
        if abs(x - left) <= half_width or abs(x - right) <= half_width:
            colour = RAIL
    return colour


def render(size):
    """Rows of (r, g, b, a), top row first."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at((px + (sx + 0.5) / SAMPLES) / size,
                                  (py + (sy + 0.5) / SAMPLES) / size)
                    if c is not None:
                        r, g, b, covered = r + c[0], g + c[1], b + c[2], covered + 1
            if covered:
                row.append((r // covered, g // covered, b // covered,
                            covered * 255 // (SAMPLES * SAMPLES)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bmp_image(size, rows):
    """An icon image as a 32-bit DIB: header, BGRA rows bottom-up, AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    return header + pixels + bytes(mask_row * size)


def png_image(size, rows):
    """An icon image as PNG (the 256-pixel one, as Windows expects it)."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    images = []
    for size in SIZES:
        rows = render(size)
        images.append(png_image(size, rows) if size >= 256 else bmp_image(size, rows))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "scenario-compiler.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
