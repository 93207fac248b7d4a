#!/usr/bin/env python3
"""Draws the placeholder picture that stands in for a picture file that cannot be read.

Writes a 1-bit BMP: a framed landscape sign (sun and mountains) struck through, above the words
"PICTURE MISSING". Set bits are white. Run it again after changing the drawing:

    tools/make_placeholder_bitmap.py resources/bitmaps/placeholder_133.bmp
"""
import math
import struct
import sys

W, H = 160, 120

# 5 x 7 capitals, one string of five characters per line, "#" set.
FONT = {
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "C": [" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "G": [" ####", "#    ", "#    ", "#  ##", "#   #", "#   #", " ####"],
    "I": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"],
    "M": ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    "N": ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    "P": ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "U": ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    " ": ["     "] * 7,
}

pixels = [[0] * W for _ in range(H)]  # top-down while drawing


def plot(x, y):
    if 0 <= x < W and 0 <= y < H:
        pixels[y][x] = 1


def rect(x0, y0, x1, y1, thickness=1):
    for t in range(thickness):
        for x in range(x0 + t, x1 - t + 1):
            plot(x, y0 + t)
            plot(x, y1 - t)
        for y in range(y0 + t, y1 - t + 1):
            plot(x0 + t, y)
            plot(x1 - t, y)


def line(x0, y0, x1, y1, thickness=1):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i / steps
        y = y0 + (y1 - y0) * i / steps
        for dx in range(thickness):
            for dy in range(thickness):
                plot(round(x) + dx, round(y) + dy)


def circle(cx, cy, r):
    for i in range(360):
        a = math.radians(i)
        plot(round(cx + r * math.cos(a)), round(cy + r * math.sin(a)))


def text(s, x, y, scale=1):
    for ch in s:
        for row, bits in enumerate(FONT[ch]):
            for col, c in enumerate(bits):
                if c == "#":
                    for sx in range(scale):
                        for sy in range(scale):
                            plot(x + col * scale + sx, y + row * scale + sy)
        x += 6 * scale


# Outer frame, and a dashed inner one like an empty picture slot.
rect(0, 0, W - 1, H - 1, 2)
for x in range(6, W - 6, 6):
    plot(x, 5); plot(x + 1, 5); plot(x, H - 6); plot(x + 1, H - 6)
for y in range(6, H - 6, 6):
    plot(5, y); plot(5, y + 1); plot(W - 6, y); plot(W - 6, y + 1)

# The landscape sign: a framed picture with a sun and two mountains.
left, top, right, bottom = 50, 14, 110, 74
rect(left, top, right, bottom, 2)
circle(92, 30, 6)
line(left + 2, bottom - 3, 68, 40, 2)
line(68, 40, 84, bottom - 3, 2)
line(76, 54, 90, 44, 2)
line(90, 44, right - 3, bottom - 3, 2)
# Struck through.
line(left - 6, bottom + 6, right + 6, top - 6, 3)

label = "PICTURE MISSING"
text(label, (W - (6 * len(label) - 1)) // 2, 90)

row_step = (W + 31) // 32 * 4
rows = bytearray()
for y in range(H - 1, -1, -1):  # BMP rows run bottom-up
    row = bytearray(row_step)
    for x in range(W):
        if pixels[y][x]:
            row[x // 8] |= 0x80 >> (x % 8)
    rows += row

palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
offset = 14 + 40 + len(palette)
info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 1, 0, len(rows), 2835, 2835, 2, 2)
head = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
with open(sys.argv[1], "wb") as f:
    f.write(head + info + palette + rows)
