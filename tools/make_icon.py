#!/usr/bin/env python3
"""Writes the program's window icon, number 101, as a 16 x 16 icon file with 32-bit pixels and a
transparency mask: a bird's head in profile on a blue key frame. Run from the repository's top folder."""
import struct

W = H = 16

ROWS = [
    "................",
    ".BBBBBBBBBBBBBB.",
    ".BkkkkkkkkkkkkB.",
    ".BkkkkkOOOkkkkB.",
    ".BkkkkOOOOOkkkB.",
    ".BkkkOOOwOOOkkB.",
    ".BkkkOOOOOOOYYB.",
    ".BkkOOOOOOOOkYB.",
    ".BkkOOOOOOkkkkB.",
    ".BkOOOOOOOkkkkB.",
    ".BkOOOOOOkkkkkB.",
    ".BkkOOOOkkkkkkB.",
    ".BkkkOOkkkkkkkB.",
    ".BkkkkkkkkkkkkB.",
    ".BBBBBBBBBBBBBB.",
    "................",
]
COLOURS = {  # blue, green, red, alpha
    "B": (120, 60, 20, 255),
    "k": (200, 150, 70, 255),
    "O": (40, 110, 200, 255),
    "w": (255, 255, 255, 255),
    "Y": (40, 200, 240, 255),
    ".": (0, 0, 0, 0),
}


def icon():
    pixels, mask = b"", b""
    for y in range(H - 1, -1, -1):  # bottom-up
        row = ROWS[y]
        pixels += b"".join(bytes(COLOURS[c]) for c in row)
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c == "." else 0)
        mask += struct.pack(">H", bits) + b"\0\0"  # rows padded to 4 bytes
    header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 0, 0, 1, 32, len(image), 22)
    return directory + image


with open("resources/icons/icon_101.ico", "wb") as f:
    f.write(icon())
