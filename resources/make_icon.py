#!/usr/bin/env python3
"""Draws the program icon and writes kestrane.ico (16, 32 and 48 pixels, 32-bit BGRA).

The icon is the logo's wing on a dark rounded tile.

Usage: make_icon.py [output.ico] [--png preview.png [--zoom N]]
"""

import math
import os
import struct
import sys

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_logo import PLUMAGE, Canvas, Strokes, add_wing, png_bytes, ramp  # noqa: E402

SIZES = (16, 32, 48)
TILE_TOP = (46, 52, 64)
TILE_BOTTOM = (8, 8, 12)
RIM = (255, 160, 40)


def rounded_square_coverage(size, corner):
    """Per-pixel coverage of a size x size square with rounded corners."""
    half = size / 2.0
    inner = half - corner
    cover = [[0.0] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            qx = abs(x + 0.5 - half) - inner
            qy = abs(y + 0.5 - half) - inner
            outside = math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - corner
            cover[y][x] = max(0.0, min(1.0, 0.5 - outside))
    return cover


def draw_icon(size):
    """Returns rows top to bottom of (r, g, b, a)."""
    canvas = Canvas(size, size)
    for y in range(size):
        shade = ramp([TILE_TOP, TILE_BOTTOM], y / (size - 1))
        for x in range(size):
            canvas.pixels[y][x] = list(shade)

    corner = max(2.0, size * 0.18)
    alpha = rounded_square_coverage(size, corner)
    if size >= 32:
        # A thin rim in the plumage colour, one pixel inside the edge.
        rim = rounded_square_coverage(size, corner)
        inner = rounded_square_coverage(size - 2, corner - 1)
        for y in range(size):
            for x in range(size):
                inside = inner[y - 1][x - 1] if 1 <= x < size - 1 and 1 <= y < size - 1 else 0.0
                canvas.blend(x, y, RIM, (rim[y][x] - inside) * 0.55)

    margin = size * (0.16 if size >= 32 else 0.1)
    box = size - 2 * margin
    wing = Strokes()
    add_wing(wing, margin, margin, box, feathers=4 if size >= 32 else 3)
    wing.paint(canvas, lambda x, y: ramp(PLUMAGE, (y - margin) / box * 0.8 + (x - margin) / box * 0.2))

    rows = canvas.rgb_rows()
    return [[rows[y][x] + (int(round(alpha[y][x] * 255)),) for x in range(size)] for y in range(size)]


def icon_image(rows):
    """One ICO image: BITMAPINFOHEADER, bottom-up BGRA, then the AND mask."""
    size = len(rows)
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            xor += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico_bytes(images):
    """images: list of (size, image bytes)."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = bytearray()
    data = bytearray()
    for size, image in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    return directory + bytes(entries) + bytes(data)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    output = os.path.join(here, "kestrane.ico")
    png = None
    zoom = 1
    args = list(argv)
    while args:
        arg = args.pop(0)
        if arg == "--png":
            png = args.pop(0)
        elif arg == "--zoom":
            zoom = int(args.pop(0))
        else:
            output = arg
    drawn = [(size, draw_icon(size)) for size in SIZES]
    with open(output, "wb") as f:
        f.write(ico_bytes([(size, icon_image(rows)) for size, rows in drawn]))
    if png:
        # All sizes side by side on white, to look at.
        height = max(SIZES)
        sheet = [[(255, 255, 255)] * (sum(SIZES) + 8 * len(SIZES)) for _ in range(height)]
        left = 0
        for size, rows in drawn:
            for y in range(size):
                for x in range(size):
                    r, g, b, a = rows[y][x]
                    t = a / 255.0
                    sheet[y][left + x] = tuple(int(round(c * t + 255 * (1 - t))) for c in (r, g, b))
            left += size + 8
        with open(png, "wb") as f:
            f.write(png_bytes(sheet, zoom))


if __name__ == "__main__":
    main(sys.argv[1:])
