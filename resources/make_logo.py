#!/usr/bin/env python3
"""Draws the Kestrane logo and writes it as logo.bmp (200 x 44, 24 bits per pixel).

The band draws the logo with its bottom-left pixel's colour left out, so the
background is pure black and that pixel stays black.

Usage: make_logo.py [output.bmp] [--png preview.png [--zoom N]]

make_icon.py reuses the drawing helpers below.
"""

import math
import os
import struct
import sys
import zlib

WIDTH = 200
HEIGHT = 44


class Canvas:
    """An RGB picture of floats in 0..255, row 0 at the top."""

    def __init__(self, width, height, background=(0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = [[list(background) for _ in range(width)] for _ in range(height)]

    def blend(self, x, y, colour, coverage):
        if coverage <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        coverage = min(coverage, 1.0)
        pixel = self.pixels[y][x]
        for i in range(3):
            pixel[i] = pixel[i] * (1.0 - coverage) + colour[i] * coverage

    def rgb_rows(self):
        """Rows top to bottom of (r, g, b) byte triples."""
        return [[tuple(max(0, min(255, int(round(c)))) for c in pixel) for pixel in row]
                for row in self.pixels]


class Strokes:
    """Round-capped line segments with a radius that may taper along each one.

    Coverage is the union of all segments (the maximum, not a sum), so joins
    of a polyline do not get brighter where segments overlap.
    """

    def __init__(self):
        self.segments = []  # (x0, y0, r0, x1, y1, r1)

    def line(self, x0, y0, x1, y1, radius, end_radius=None):
        self.segments.append((x0, y0, radius, x1, y1, radius if end_radius is None else end_radius))

    def polyline(self, points, radius, end_radius=None):
        end_radius = radius if end_radius is None else end_radius
        total = sum(math.dist(points[i], points[i + 1]) for i in range(len(points) - 1)) or 1.0
        walked = 0.0
        for i in range(len(points) - 1):
            step = math.dist(points[i], points[i + 1])
            r0 = radius + (end_radius - radius) * walked / total
            walked += step
            r1 = radius + (end_radius - radius) * walked / total
            self.line(points[i][0], points[i][1], points[i + 1][0], points[i + 1][1], r0, r1)

    def coverage(self, width, height):
        cover = [[0.0] * width for _ in range(height)]
        for (x0, y0, r0, x1, y1, r1) in self.segments:
            reach = max(r0, r1) + 1.0
            left = max(0, int(math.floor(min(x0, x1) - reach)))
            right = min(width - 1, int(math.ceil(max(x0, x1) + reach)))
            top = max(0, int(math.floor(min(y0, y1) - reach)))
            bottom = min(height - 1, int(math.ceil(max(y0, y1) + reach)))
            dx, dy = x1 - x0, y1 - y0
            length2 = dx * dx + dy * dy
            for py in range(top, bottom + 1):
                cy = py + 0.5
                row = cover[py]
                for px in range(left, right + 1):
                    cx = px + 0.5
                    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((cx - x0) * dx + (cy - y0) * dy) / length2))
                    d = math.hypot(cx - (x0 + t * dx), cy - (y0 + t * dy))
                    c = r0 + (r1 - r0) * t - d + 0.5
                    if c > row[px]:
                        row[px] = c if c < 1.0 else 1.0
        return cover

    def paint(self, canvas, colour_at):
        cover = self.coverage(canvas.width, canvas.height)
        for y in range(canvas.height):
            for x in range(canvas.width):
                if cover[y][x] > 0.0:
                    canvas.blend(x, y, colour_at(x + 0.5, y + 0.5), cover[y][x])


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def ramp(stops, t):
    """Colour at t in 0..1 along evenly spaced colour stops."""
    t = max(0.0, min(1.0, t)) * (len(stops) - 1)
    i = min(int(t), len(stops) - 2)
    return mix(stops[i], stops[i + 1], t - i)


# Kestrel plumage: pale gold over rufous to a deep chestnut.
PLUMAGE = [(255, 226, 120), (255, 160, 40), (226, 92, 26), (170, 48, 24)]
SLATE = (120, 170, 215)


def bezier(p0, p1, p2, steps=16):
    points = []
    for i in range(steps + 1):
        t = i / steps
        u = 1.0 - t
        points.append((u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
                       u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]))
    return points


# Capital letters on a unit box (x right, y down) as polylines; chamfered
# corners give the face its technical look.
C = 0.28  # chamfer, as a fraction of the box width
GLYPHS = {
    "K": [[(0, 0), (0, 1)], [(1, 0), (0.05, 0.58)], [(0.36, 0.42), (1, 1)]],
    "E": [[(1, 0), (0, 0), (0, 1), (1, 1)], [(0, 0.5), (0.78, 0.5)]],
    "S": [[(1, 0), (C, 0), (0, C * 0.6), (0, 0.5 - C * 0.6), (C, 0.5), (1 - C, 0.5),
           (1, 0.5 + C * 0.6), (1, 1 - C * 0.6), (1 - C, 1), (0, 1)]],
    "T": [[(0, 0), (1, 0)], [(0.5, 0), (0.5, 1)]],
    "R": [[(0, 1), (0, 0), (1 - C, 0), (1, C * 0.6), (1, 0.5 - C * 0.6), (1 - C, 0.5), (0, 0.5)],
          [(0.5, 0.5), (1, 1)]],
    "A": [[(0, 1), (0, C * 0.6), (C, 0), (1 - C, 0), (1, C * 0.6), (1, 1)], [(0, 0.56), (1, 0.56)]],
    "N": [[(0, 1), (0, 0), (1, 1), (1, 0)]],
}


def add_word(strokes, word, left, top, box_w, box_h, gap, radius):
    x = left
    for ch in word:
        for polyline in GLYPHS[ch]:
            strokes.polyline([(x + px * box_w, top + py * box_h) for (px, py) in polyline], radius)
        x += box_w + gap
    return x - gap


# 5 x 7 pixel capitals for the small caption.
PIXEL_FONT = {
    "W": ["10001", "10001", "10001", "10101", "10101", "11011", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "I": ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
}


def pixel_text(canvas, text, left, top, advance, colour):
    for n, ch in enumerate(text):
        for row, bits in enumerate(PIXEL_FONT[ch]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    canvas.blend(left + n * advance + col, top + row, colour, 1.0)


def add_wing(strokes, ox, oy, size, feathers=4):
    """A kestrel's swept wing: primaries rising from the arm to pointed tips.

    Drawn on a size x size box at (ox, oy); fewer feathers suit small sizes.
    """
    shapes = [  # root, control point, tip, radius at the root (box units)
        ((0.06, 0.96), (0.22, 0.30), (1.00, 0.02), 0.085),
        ((0.16, 0.96), (0.36, 0.48), (0.98, 0.28), 0.070),
        ((0.26, 0.96), (0.48, 0.64), (0.92, 0.52), 0.062),
        ((0.36, 0.96), (0.56, 0.80), (0.80, 0.74), 0.055),
    ]
    if feathers == 3:
        shapes = [
            ((0.06, 0.96), (0.22, 0.30), (1.00, 0.02), 0.10),
            ((0.22, 0.96), (0.42, 0.52), (0.96, 0.40), 0.085),
            ((0.38, 0.96), (0.58, 0.78), (0.86, 0.74), 0.075),
        ]
    for root, control, tip, radius in shapes[:feathers]:
        points = bezier((ox + root[0] * size, oy + root[1] * size),
                        (ox + control[0] * size, oy + control[1] * size),
                        (ox + tip[0] * size, oy + tip[1] * size))
        strokes.polyline(points, radius * size, 0.02 * size + 0.35)


def draw_logo():
    canvas = Canvas(WIDTH, HEIGHT)

    wing = Strokes()
    add_wing(wing, 4, 1, 40)
    wing.paint(canvas, lambda x, y: ramp(PLUMAGE, (y - 1) / 40 * 0.8 + (x - 4) / 40 * 0.2))

    letters = Strokes()
    text_left, text_top, box_w, box_h, gap = 51, 5, 14, 21, 4.2
    text_right = add_word(letters, "KESTRANE", text_left, text_top, box_w, box_h, gap, 1.75)
    letters.paint(canvas, lambda x, y: ramp(
        PLUMAGE, (y - text_top) / box_h * 0.75 + (x - text_left) / (text_right - text_left) * 0.35))

    # "WORKSTATION" spread under the name, with a thin rule on either side.
    caption = "WORKSTATION"
    advance = 10
    caption_w = advance * (len(caption) - 1) + 5
    caption_left = int(round((text_left + text_right) / 2 - caption_w / 2))
    pixel_text(canvas, caption, caption_left, 32, advance, SLATE)

    # Bottom-left pixel: the transparent colour.
    canvas.pixels[HEIGHT - 1][0] = [0, 0, 0]
    return canvas


def bmp_bytes(rows):
    """A 24-bit bottom-up BMP of rows (top to bottom) of (r, g, b)."""
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    image = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        image += line
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    return header + info + bytes(image)


def png_bytes(rows, zoom=1):
    """An RGB PNG of rows, each pixel enlarged to zoom x zoom (for looking at it)."""
    raw = bytearray()
    for row in rows:
        line = bytearray([0])
        for r, g, b in row:
            line += bytes((r, g, b)) * zoom
        raw += bytes(line) * zoom

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    ihdr = struct.pack(">IIBBBBB", len(rows[0]) * zoom, len(rows) * zoom, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    output = os.path.join(here, "logo.bmp")
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
    rows = draw_logo().rgb_rows()
    assert rows[HEIGHT - 1][0] == (0, 0, 0)
    with open(output, "wb") as f:
        f.write(bmp_bytes(rows))
    if png:
        with open(png, "wb") as f:
            f.write(png_bytes(rows, zoom))


if __name__ == "__main__":
    main(sys.argv[1:])
