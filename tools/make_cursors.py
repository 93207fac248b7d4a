#!/usr/bin/env python3
"""Writes the program's two cursor images as 32 x 32 monochrome .cur files:
106, a four-way grip for moving (a circle with arrows), and 135, a vertical double arrow with a bar
for dragging timeline rows. Run from the repository's top folder."""
import struct

W = H = 32


def cursor(pixels, hot):
    # pixels: rows of text, '#' black, '.' white, ' ' transparent.
    xor_rows, and_rows = [], []
    for y in range(H - 1, -1, -1):  # bottom-up
        row = pixels[y] if y < len(pixels) else ""
        row = row.ljust(W)
        xbits = abits = 0
        for x in range(W):
            c = row[x]
            xbits = (xbits << 1) | (1 if c == '.' else 0)
            abits = (abits << 1) | (1 if c == ' ' else 0)
        xor_rows.append(struct.pack(">I", xbits))
        and_rows.append(struct.pack(">I", abits))
    header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", W, H, 2, 0, hot[0], hot[1], len(image), 22)
    return directory + image


def draw(shape):
    grid = [[' '] * W for _ in range(H)]
    for (x, y, c) in shape:
        if 0 <= x < W and 0 <= y < H:
            grid[y][x] = c
    return ["".join(r) for r in grid]


def outlined(points):
    # Black shape with a white rim one pixel wide.
    pts = set(points)
    out = []
    for (x, y) in pts:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                if (x + dx, y + dy) not in pts:
                    out.append((x + dx, y + dy, '.'))
    return out + [(x, y, '#') for (x, y) in pts]


def arrow_head(cx, cy, dx, dy, size):
    pts = []
    for i in range(size):
        for j in range(-i, i + 1):
            if dx == 0:
                pts.append((cx + j, cy + dy * (size - 1 - i)))
            else:
                pts.append((cx + dx * (size - 1 - i), cy + j))
    return pts


def move_cursor():
    c = 15
    pts = []
    for t in range(3, 28):
        pts += [(c, t), (t, c)]
    pts += arrow_head(c, 2, 0, -1, 4) + arrow_head(c, 28, 0, 1, 4) + arrow_head(2, c, -1, 0, 4) + arrow_head(28, c, 1, 0, 4)
    for x in range(c - 4, c + 5):
        for y in range(c - 4, c + 5):
            if (x - c) ** 2 + (y - c) ** 2 <= 16:
                pts.append((x, y))
    return draw(outlined(pts)), (c, c)


def row_cursor():
    c = 15
    pts = [(c, t) for t in range(4, 27)] + [(c + 1, t) for t in range(4, 27)]
    pts += arrow_head(c, 2, 0, -1, 5) + arrow_head(c + 1, 2, 0, -1, 5)
    pts += arrow_head(c, 28, 0, 1, 5) + arrow_head(c + 1, 28, 0, 1, 5)
    for x in range(6, 26):
        pts += [(x, 14), (x, 15), (x, 16)]
    return draw(outlined(pts)), (c, 15)


for number, make in ((106, move_cursor), (135, row_cursor)):
    pixels, hot = make()
    with open(f"resources/cursors/cursor_{number}.cur", "wb") as f:
        f.write(cursor(pixels, hot))
