#!/usr/bin/env python3
"""Draws the editor's eight pictures: each one from a single vector description, rendered at 1x
and at 2x, so both densities show the same drawing. Coordinates are in 1x pixels; edges of
straight strokes sit on whole pixels so the 1x pictures stay crisp.

Writes 8-bit RGBA PNGs (colour type 6, not interlaced, sRGB chunk) with a transparent
background. Uses the Python standard library only.

    python3 resources/draw-artwork.py [output-folder]     (default: the folder of this script)
"""

import math
import os
import struct
import sys
import zlib

SAMPLES_PER_AXIS = 8  # 64 coverage samples per pixel; exact for edges on whole pixels

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
BAND_COLOURS = [(0xD0, 0x01, 0x1B), (0x7E, 0xD3, 0x21), (0x49, 0x90, 0xE2), (0xFE, 0x87, 0x12)]


# ---------------------------------------------------------------------------------------------
# Shapes: each answers whether a point (in 1x units) is inside, and gives its bounding box.

class Rect:
    """An axis-aligned rectangle from (x0, y0) to (x1, y1)."""

    def __init__(self, x0, y0, x1, y1):
        self.box = (x0, y0, x1, y1)

    def contains(self, x, y):
        x0, y0, x1, y1 = self.box
        return x0 <= x < x1 and y0 <= y < y1


class Stroke:
    """A straight line of the given width with round ends."""

    def __init__(self, start, end, width):
        self.ax, self.ay = start
        self.bx, self.by = end
        self.radius = r = width / 2
        self.box = (min(self.ax, self.bx) - r, min(self.ay, self.by) - r,
                    max(self.ax, self.bx) + r, max(self.ay, self.by) + r)

    def contains(self, x, y):
        dx, dy = self.bx - self.ax, self.by - self.ay
        t = ((x - self.ax) * dx + (y - self.ay) * dy) / (dx * dx + dy * dy)
        t = min(1.0, max(0.0, t))
        px, py = self.ax + t * dx - x, self.ay + t * dy - y
        return px * px + py * py <= self.radius * self.radius


class Ring:
    """The area between two circles around one centre; an inner radius of 0 gives a disc."""

    def __init__(self, cx, cy, inner, outer):
        self.cx, self.cy, self.inner, self.outer = cx, cy, inner, outer
        self.box = (cx - outer, cy - outer, cx + outer, cy + outer)

    def contains(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        return self.inner * self.inner <= dx * dx + dy * dy <= self.outer * self.outer


# ---------------------------------------------------------------------------------------------
# Letters: capitals stroked one 1x pixel wide along polylines through pixel centres, with only
# horizontal, vertical and 45-degree runs wherever the cell allows, so they stay sharp at 1x.
# A glyph is (cell width, [polyline, ...]); points are (column, row) of pixels in the cell.

ZENVAR_GLYPHS = {  # cap height 7
    "Z": (7, [[(0, 0), (6, 0), (0, 6), (6, 6)]]),
    "E": (5, [[(4, 0), (0, 0), (0, 6), (4, 6)], [(0, 3), (3, 3)]]),
    "N": (7, [[(0, 6), (0, 0), (6, 6), (6, 0)]]),
    "V": (7, [[(0, 0), (3, 6), (6, 0)]]),
    "A": (7, [[(0, 6), (3, 0), (6, 6)], [(1, 4), (5, 4)]]),
    "R": (5, [[(0, 6), (0, 0), (3, 0), (4, 1), (4, 2), (3, 3), (0, 3)], [(2, 3), (4, 5), (4, 6)]]),
}

VANTORELL_GLYPHS = {  # cap height 8, narrow cells
    "V": (4, [[(0, 0), (0, 4), (1, 5), (1, 7)], [(3, 0), (3, 4), (2, 5), (2, 7)]]),
    "A": (4, [[(0, 7), (0, 1), (1, 0), (2, 0), (3, 1), (3, 7)], [(0, 4), (3, 4)]]),
    "N": (4, [[(0, 7), (0, 0), (1, 1), (1, 3), (2, 4), (2, 6), (3, 7), (3, 0)]]),
    "T": (3, [[(0, 0), (2, 0)], [(1, 0), (1, 7)]]),
    "O": (4, [[(1, 0), (2, 0), (3, 1), (3, 6), (2, 7), (1, 7), (0, 6), (0, 1), (1, 0)]]),
    "R": (4, [[(0, 7), (0, 0), (2, 0), (3, 1), (3, 2), (2, 3), (0, 3)], [(2, 3), (3, 4), (3, 7)]]),
    "E": (3, [[(2, 0), (0, 0), (0, 7), (2, 7)], [(0, 3), (2, 3)]]),
    "L": (3, [[(0, 0), (0, 7), (2, 7)]]),
}


class Segment:
    """The body of a straight stroke one unit wide between two points, without end caps."""

    def __init__(self, start, end, clip):
        (self.ax, self.ay), (self.bx, self.by) = start, end
        self.clip = clip
        self.box = clip

    def contains(self, x, y):
        if not (self.clip[0] <= x < self.clip[2] and self.clip[1] <= y < self.clip[3]):
            return False
        dx, dy = self.bx - self.ax, self.by - self.ay
        length2 = dx * dx + dy * dy
        t = ((x - self.ax) * dx + (y - self.ay) * dy) / length2
        if t < 0 or t > 1:
            return False
        cross = (x - self.ax) * dy - (y - self.ay) * dx
        return cross * cross <= 0.25 * length2


def glyph_shapes(glyph, x, y, height):
    """Shapes of one glyph with its cell's top-left corner at (x, y). Every point of a polyline
    fills its whole pixel, so runs join without notches and ends are square."""
    width, polylines = glyph
    cell = (x, y, x + width, y + height)
    shapes = []
    for line in polylines:
        points = [(x + c + 0.5, y + r + 0.5) for c, r in line]
        for px, py in points:
            shapes.append(Rect(px - 0.5, py - 0.5, px + 0.5, py + 0.5))
        for a, b in zip(points, points[1:]):
            shapes.append(Segment(a, b, cell))
    return shapes


def word_shapes(glyphs, text, spaces, x, y, height):
    """`spaces[i]` is the gap in 1x pixels after letter i."""
    shapes = []
    for char, space in zip(text, spaces + [0]):
        shapes += glyph_shapes(glyphs[char], x, y, height)
        x += glyphs[char][0] + space
    return shapes, x


# ---------------------------------------------------------------------------------------------
# The pictures. Each is (1x width, 1x height, list of (colour, alpha, shapes)), drawn in order.

def magnifier(with_vertical_bar):
    cx = cy = 9.0
    shapes = [Ring(cx, cy, 6.0, 8.0),
              Stroke((14.6, 14.6), (19.5, 19.5), 3.0),
              Rect(5, 8, 13, 10)]
    if with_vertical_bar:
        shapes.append(Rect(8, 5, 10, 13))
    return 22, 22, [(BLACK, 1.0, shapes)]


def product_icon():
    # The mark: a round badge like the link-group selectors, holding four bars in the band
    # colours, the band strip in miniature.
    layers = [(WHITE, 0.2, [Ring(8.5, 8.5, 0, 8.5)]),
              (WHITE, 1.0, [Ring(8.5, 8.5, 7.5, 8.5)])]
    bar_tops = [7, 4, 5, 8]
    for band, top in enumerate(bar_tops):
        left = 3 + 3 * band
        layers.append((BAND_COLOURS[band], 1.0, [Rect(left, top, left + 2, 13)]))

    text, end = word_shapes(ZENVAR_GLYPHS, "ZENVAR", [4, 4, 3, 1, 3], 23, 5, 7)
    assert end <= 79
    layers.append((WHITE, 1.0, text))
    return 79, 17, layers


def maker_wordmark():
    # Nine capitals in 39 pixels: T and O sit flush, which the T's open sides allow.
    text, end = word_shapes(VANTORELL_GLYPHS, "VANTORELL", [1, 1, 1, 0, 1, 1, 1, 1], 0, 0, 8)
    assert end == 39
    return 39, 8, [(WHITE, 1.0, text)]


PICTURES = {
    "zoom_in": lambda: magnifier(True),
    "zoom_out": lambda: magnifier(False),
    "zenvar_icon": product_icon,
    "vantorlogovit": maker_wordmark,
}


# ---------------------------------------------------------------------------------------------
# Rendering and PNG output.

def coverage(shapes, width, height, scale):
    """Fraction of each pixel's samples inside any of the shapes."""
    n = SAMPLES_PER_AXIS
    hits = bytearray(width * height * n * n)
    for shape in shapes:
        x0, y0, x1, y1 = (v * scale for v in shape.box)
        for py in range(max(0, int(math.floor(y0))), min(height, int(math.ceil(y1)))):
            for px in range(max(0, int(math.floor(x0))), min(width, int(math.ceil(x1)))):
                base = (py * width + px) * n * n
                for sy in range(n):
                    y = (py + (sy + 0.5) / n) / scale
                    for sx in range(n):
                        if not hits[base + sy * n + sx] and shape.contains((px + (sx + 0.5) / n) / scale, y):
                            hits[base + sy * n + sx] = 1
    return [sum(hits[i * n * n:(i + 1) * n * n]) / (n * n) for i in range(width * height)]


def render(picture, scale):
    width, height, layers = picture
    width, height = width * scale, height * scale
    pixels = [(0.0, 0.0, 0.0, 0.0)] * (width * height)  # straight (not premultiplied) RGBA, 0..1
    for colour, alpha, shapes in layers:
        cr, cg, cb = (c / 255 for c in colour)
        for i, a in enumerate(coverage(shapes, width, height, scale)):
            a *= alpha
            if a == 0:
                continue
            r, g, b, da = pixels[i]
            out_a = a + da * (1 - a)
            mix = lambda src, dst: (src * a + dst * da * (1 - a)) / out_a
            pixels[i] = (mix(cr, r), mix(cg, g), mix(cb, b), out_a)
    return width, height, pixels


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def write_png(path, width, height, pixels):
    to_byte = lambda v: max(0, min(255, int(round(v * 255))))
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # filter type: none
        for r, g, b, a in pixels[y * width:(y + 1) * width]:
            rows += bytes((to_byte(r), to_byte(g), to_byte(b), to_byte(a)) if a > 0 else (0, 0, 0, 0))
    png = b"\x89PNG\r\n\x1a\n"
    png += png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += png_chunk(b"sRGB", bytes([0]))  # perceptual rendering intent
    png += png_chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += png_chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, draw in PICTURES.items():
        picture = draw()
        for scale, suffix in ((1, ""), (2, "2x")):
            path = os.path.join(out_dir, name + suffix + ".png")
            write_png(path, *render(picture, scale))
            print(path)


if __name__ == "__main__":
    main()
