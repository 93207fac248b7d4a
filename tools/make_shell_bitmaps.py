#!/usr/bin/env python3
"""Draws the editor window's bitmaps: the background texture 113 (128 x 128, 8 bits, light grey
speckles), the OK button 121 (pressed) and 122 (normal) (18 x 18, 4 bits, a black disc with the
letters OK), and the 12 x 12, 8-bit tool buttons: 139/140 an upward arrow (pressed/normal), 141/142
a downward arrow (normal/pressed), 145 a right-pointing triangle, 146 a plain square, 147 a
downward-pointing triangle. Run from the repository's top folder:

    tools/make_shell_bitmaps.py resources/bitmaps

The speckles come from a fixed linear congruential sequence, so the files are the same on every run.
"""
import os
import struct
import sys


def bmp(width, height, bits, palette, pixels):
    """pixels: rows top first of palette indexes; written bottom-up as BMP rows are."""
    row_step = (width * bits + 31) // 32 * 4
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(row_step)
        for x in range(width):
            v = pixels[y][x]
            if bits == 8:
                row[x] = v
            else:  # 4 bits, high nibble first
                row[x // 2] |= (v << 4) if x % 2 == 0 else v
        rows += row
    pal = b"".join(bytes([b, g, r, 0]) for (r, g, b) in palette)
    pal += bytes(4 * ((1 << bits) - len(palette)))
    offset = 14 + 40 + len(pal)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(rows), 2835, 2835, 1 << bits, 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return head + info + pal + bytes(rows)


# The window background is a light grey, and the buttons sit on it with the same grey around them.
BACK = (212, 212, 208)


def texture():
    palette = [(196 + i, 196 + i, 192 + i) for i in range(32)]
    seed = 12345
    pixels = []
    for _ in range(128):
        row = []
        for _ in range(128):
            seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
            r = (seed >> 16) & 0xFF
            # Mostly the middle grey, with darker and lighter grains scattered over it.
            if r < 14:
                row.append(2 + (r % 6))
            elif r > 244:
                row.append(26 + (r % 6))
            else:
                row.append(16 + (r % 3))
        pixels.append(row)
    return bmp(128, 128, 8, palette, pixels)


# 3 x 5 letters for the OK disc.
LETTERS = {
    "O": ["###", "# #", "# #", "# #", "###"],
    "K": ["# #", "## ", "#  ", "## ", "# #"],
}


def ok_button(letter_colour):
    palette = [BACK, (0, 0, 0), letter_colour, (96, 96, 96)]
    size = 18
    pixels = [[0] * size for _ in range(size)]
    c = (size - 1) / 2
    for y in range(size):
        for x in range(size):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
            if d <= 8.6:
                pixels[y][x] = 1
            elif d <= 9.2:
                pixels[y][x] = 3  # a soft rim so the disc does not look cut out
    left, top = 3, 6
    for i, ch in enumerate("OK"):
        for row, bits in enumerate(LETTERS[ch]):
            for col, b in enumerate(bits):
                if b == "#":
                    pixels[top + row][left + i * 4 + col + 2] = 2
    return bmp(size, size, 4, palette, pixels)


def small_button(shape, pressed):
    """A 12 x 12 raised (or, pressed, sunken) button with a black shape on it."""
    light, dark, face, ink = (255, 255, 255), (128, 128, 128), BACK, (0, 0, 0)
    if pressed:
        light, dark, face = dark, light, (180, 180, 176)
    palette = [face, light, dark, ink]
    n = 12
    pixels = [[0] * n for _ in range(n)]
    for i in range(n):
        pixels[0][i] = pixels[i][0] = 1
        pixels[n - 1][i] = pixels[i][n - 1] = 2
    shift = 1 if pressed else 0
    for (x, y) in shape:
        if 0 < x + shift < n - 1 and 0 < y + shift < n - 1:
            pixels[y + shift][x + shift] = 3
    return bmp(n, n, 8, palette, pixels)


def up_arrow():
    pts = []
    for row in range(4):  # head
        for x in range(5 - row, 7 + row):
            pts.append((x, 2 + row))
    for y in range(6, 10):  # shaft
        pts += [(5, y), (6, y)]
    return pts


def down_arrow():
    return [(x, 11 - y) for (x, y) in up_arrow()]


def right_triangle():
    pts = []
    for col in range(5):
        for y in range(2 + col, 10 - col):
            pts.append((4 + col, y))
    return pts


def down_triangle():
    pts = []
    for row in range(5):
        for x in range(2 + row, 10 - row):
            pts.append((x, 4 + row))
    return pts


def square():
    return [(x, y) for x in range(3, 9) for y in range(3, 9)]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "resources/bitmaps"
    files = {
        113: texture(),
        121: ok_button((160, 160, 160)),
        122: ok_button((255, 255, 255)),
        139: small_button(up_arrow(), True),
        140: small_button(up_arrow(), False),
        141: small_button(down_arrow(), False),
        142: small_button(down_arrow(), True),
        145: small_button(right_triangle(), False),
        146: small_button(square(), True),
        147: small_button(down_triangle(), False),
    }
    for number, data in files.items():
        with open(os.path.join(out, "bitmap_%d.bmp" % number), "wb") as f:
            f.write(data)


main()
