#!/usr/bin/env python3
"""Draws the stage's transport buttons: round 18 x 18 buttons with a left triangle (play backward), a
square (stop), a right triangle (play forward) and a key (set key), each normal (raised), pressed
(sunk, the glyph one pixel down and right) and active (lit green). Writes 4-bit BMP files with the
sixteen standard colours into the folder given (default resources/bitmaps):

    tools/make_transport_buttons.py resources/bitmaps
"""
import math
import os
import struct
import sys

SIZE = 18

# The sixteen standard colours, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREEN, OLIVE, SILVER, GREY, LIME, YELLOW, WHITE = 0, 2, 3, 7, 8, 10, 11, 15

# The images by resource number: glyph and variant. 112 (the set-key button pressed) does not exist.
BUTTONS = {
    102: ("square", "normal"), 109: ("square", "pressed"), 110: ("square", "active"),
    105: ("left", "normal"), 106: ("left", "pressed"), 107: ("left", "active"),
    108: ("right", "normal"), 103: ("right", "pressed"), 104: ("right", "active"),
    111: ("key", "normal"),
}


def inside_triangle(px, py, a, b, c):
    def side(p, q, r):
        return (p[0] - r[0]) * (q[1] - r[1]) - (q[0] - r[0]) * (p[1] - r[1])
    d1, d2, d3 = side((px, py), a, b), side((px, py), b, c), side((px, py), c, a)
    neg = d1 < 0 or d2 < 0 or d3 < 0
    pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (neg and pos)


def glyph_pixel(glyph, x, y):
    """Whether pixel (x, y) (its centre at x + 0.5, y + 0.5) belongs to the glyph, and its colour."""
    cx, cy = x + 0.5, y + 0.5
    if glyph == "right":
        return inside_triangle(cx, cy, (6.0, 4.5), (6.0, 13.5), (13.5, 9.0)), BLACK
    if glyph == "left":
        return inside_triangle(cx, cy, (12.0, 4.5), (12.0, 13.5), (4.5, 9.0)), BLACK
    if glyph == "square":
        return 6 <= x < 12 and 6 <= y < 12, BLACK
    # The key: a ring at the left, a shaft to the right with two teeth hanging from it.
    ring = 1.4 <= math.hypot(cx - 6.0, cy - 9.0) <= 3.2
    shaft = 8 <= x < 15 and 8 <= y < 10
    teeth = (x in (12, 14)) and 10 <= y < 12
    return ring or shaft or teeth, OLIVE


def draw(glyph, variant):
    pixels = [[SILVER] * SIZE for _ in range(SIZE)]  # top-down while drawing; the stage's grey around
    face = LIME if variant == "active" else SILVER
    light, dark = (GREY, WHITE) if variant == "pressed" else (WHITE, GREY)
    shift = 1 if variant == "pressed" else 0
    for y in range(SIZE):
        for x in range(SIZE):
            dx, dy = x + 0.5 - 9.0, y + 0.5 - 9.0
            d = math.hypot(dx, dy)
            if d > 8.9:
                continue
            if d > 7.9:
                pixels[y][x] = BLACK
            elif d > 6.7:
                # Lit from the upper left: raised buttons are light there, sunk ones dark.
                pixels[y][x] = light if dx + dy < 0 else dark
            else:
                pixels[y][x] = face
            on, colour = glyph_pixel(glyph, x - shift, y - shift)
            if on and d <= 6.7:
                pixels[y][x] = colour
    return pixels


def bmp_bytes(pixels):
    row_bytes = (SIZE * 4 + 31) // 32 * 4
    rows = b""
    for line in reversed(pixels):  # bottom-up
        packed = bytearray(row_bytes)
        for x, index in enumerate(line):
            packed[x // 2] |= index << (0 if x % 2 else 4)
        rows += bytes(packed)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 4, 0, len(rows), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return header + info + palette + rows


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "resources/bitmaps"
    os.makedirs(folder, exist_ok=True)
    for number, (glyph, variant) in sorted(BUTTONS.items()):
        path = os.path.join(folder, "bitmap_%03d.bmp" % number)
        with open(path, "wb") as f:
            f.write(bmp_bytes(draw(glyph, variant)))
        print(path)


if __name__ == "__main__":
    main()
