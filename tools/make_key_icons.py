#!/usr/bin/env python3
"""Draws the timeline's key icons: 16 x 16 24-bit BMP files, one per look and row colour.

Each icon is a diamond centred on column 7 (so it sits one pixel right of the key's time when the
timeline places it at x(time) - 6) over the colour of the row it is drawn on. The top and bottom
lines are black: the icon covers the row's outline and carries it on.

    number  row     look
    120     cyan    key
    129     yellow  key
    143     cyan    selected key (under the time cursor)
    128     yellow  selected key
    150     cyan    key of a locked picture
    148     yellow  key of a locked picture

Run it again after changing the drawing:

    tools/make_key_icons.py resources/bitmaps
"""
import os
import struct
import sys

SIZE = 16
CENTRE = 7
RADIUS = 6

CYAN = (0, 255, 255)
YELLOW = (255, 255, 0)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)

# look: (outline, fill, highlight)
LOOKS = {
    "key": (BLACK, (0, 0, 176), (96, 128, 255)),
    "selected": (BLACK, (224, 0, 0), WHITE),
    "locked": ((64, 64, 64), (160, 160, 160), (208, 208, 208)),
}

ICONS = [
    (120, CYAN, "key"),
    (129, YELLOW, "key"),
    (143, CYAN, "selected"),
    (128, YELLOW, "selected"),
    (150, CYAN, "locked"),
    (148, YELLOW, "locked"),
]


def draw(background, look):
    outline, fill, highlight = LOOKS[look]
    pixels = [[background] * SIZE for _ in range(SIZE)]  # top-down while drawing
    for x in range(SIZE):
        pixels[0][x] = BLACK
        pixels[SIZE - 1][x] = BLACK
    for y in range(1, SIZE - 1):
        for x in range(SIZE):
            d = abs(x - CENTRE) + abs(y - CENTRE)
            if d == RADIUS:
                pixels[y][x] = outline
            elif d < RADIUS:
                pixels[y][x] = fill
    # A glint on the upper left facet.
    for x, y in ((5, 5), (6, 4), (4, 6), (6, 5), (5, 6)):
        pixels[y][x] = highlight
    if look == "selected":
        # A second, inner outline makes the selected key stand out even on a busy row.
        for y in range(1, SIZE - 1):
            for x in range(SIZE):
                if abs(x - CENTRE) + abs(y - CENTRE) == RADIUS - 1 and pixels[y][x] == fill:
                    pixels[y][x] = (255, 224, 0)
    return pixels


def bmp(pixels):
    row_step = (SIZE * 3 + 3) // 4 * 4
    rows = bytearray()
    for y in range(SIZE - 1, -1, -1):  # BMP rows run bottom-up
        row = bytearray(row_step)
        for x in range(SIZE):
            r, g, b = pixels[y][x]
            row[x * 3:x * 3 + 3] = bytes((b, g, r))
        rows += row
    offset = 14 + 40
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return head + info + rows


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "resources/bitmaps"
    for number, background, look in ICONS:
        path = os.path.join(folder, "bitmap_%d.bmp" % number)
        with open(path, "wb") as f:
            f.write(bmp(draw(background, look)))
        print(path)


if __name__ == "__main__":
    main()
