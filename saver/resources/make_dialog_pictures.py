#!/usr/bin/env python3
"""Draws the settings dialog's pictures: the two 12 x 12 option marks (24-bit BMP), the
32 x 32 256-colour window icon and the 32 x 32 monochrome link cursor (hot spot 12, 10).

Run from this folder: python3 make_dialog_pictures.py
"""

import math
import struct


def bmp24(width, height, pixel):
    """pixel(x, y) -> (r, g, b); rows stored bottom-up, padded to 4 bytes."""
    stride = (width * 3 + 3) & ~3
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        rows += row + b"\0" * (stride - len(row))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(rows), 0, 0, 54) + header + rows


def mark(filled):
    border, face, fill = (128, 128, 128), (248, 248, 248), (40, 90, 220)

    def pixel(x, y):
        if x in (0, 11) or y in (0, 11):
            return border
        if filled and 2 <= x <= 9 and 2 <= y <= 9:
            return fill
        return face
    return bmp24(12, 12, pixel)


def icon():
    """A blue glowing ball on black, 8 bits per pixel with a 256-entry palette."""
    palette = [(0, 0, 0)] + [(min(255, i * 2), min(255, i * 3), 255) if i > 0 else (0, 0, 0)
                             for i in range(1, 86)]
    palette += [(0, 0, 0)] * (256 - len(palette))
    pixels = bytearray()
    for y in range(31, -1, -1):
        for x in range(32):
            d = math.hypot(x - 15.5, y - 15.5)
            pixels.append(0 if d > 14 else max(1, min(85, int(85 * (1 - d / 14)) + 1)))
    mask = b"\0" * (4 * 32)  # every pixel opaque
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 8, 0, len(pixels) + len(mask), 0, 0, 256,
                         0)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    image = header + colours + bytes(pixels) + mask
    entry = struct.pack("<BBBBHHII", 32, 32, 0, 0, 1, 8, len(image), 6 + 16)
    return struct.pack("<HHH", 0, 1, 1) + entry + image


HAND = [
    "............XX..................",
    "...........X..X.................",
    "...........X..X.................",
    "...........X..X.................",
    "...........X..X.................",
    "...........X..XXX...............",
    "...........X..X..XXX............",
    "...........X..X..X..XX..........",
    "........XX.X..X..X..X.X.........",
    "........X..X........X..X........",
    "........X..X...........X........",
    ".........X.............X........",
    ".........X.............X........",
    "..........X............X........",
    "..........X...........X.........",
    "...........X..........X.........",
    "...........X.........X..........",
    "............XXXXXXXXX...........",
]


def cursor():
    """Monochrome 32 x 32: outline black, inside white, the rest transparent."""
    # Rows of the art start at y = 10 - 0 so that the fingertip's top sits at (12, 10).
    top = 10
    shape = [["." for _ in range(32)] for _ in range(32)]
    for row, line in enumerate(HAND):
        for x, ch in enumerate(line):
            shape[top + row][x] = ch
    # Fill the inside of the outline row by row.
    for y in range(32):
        xs = [x for x in range(32) if shape[y][x] == "X"]
        if len(xs) >= 2:
            for x in range(xs[0] + 1, xs[-1]):
                if shape[y][x] == ".":
                    shape[y][x] = "w"
    xor_rows, and_rows = bytearray(), bytearray()
    for y in range(31, -1, -1):
        xor_bits, and_bits = 0, 0
        for x in range(32):
            ch = shape[y][x]
            xor_bits = (xor_bits << 1) | (1 if ch == "w" else 0)
            and_bits = (and_bits << 1) | (1 if ch == "." else 0)
        xor_rows += struct.pack(">I", xor_bits)
        and_rows += struct.pack(">I", and_bits)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, len(xor_rows) + len(and_rows), 0, 0,
                         2, 0)
    colours = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = header + colours + bytes(xor_rows) + bytes(and_rows)
    entry = struct.pack("<BBBBHHII", 32, 32, 2, 0, 12, 10, len(image), 6 + 16)
    return struct.pack("<HHH", 0, 2, 1) + entry + image


def main():
    with open("mark_unmarked.bmp", "wb") as out:
        out.write(mark(False))
    with open("mark_marked.bmp", "wb") as out:
        out.write(mark(True))
    with open("dialog.ico", "wb") as out:
        out.write(icon())
    with open("link_hand.cur", "wb") as out:
        out.write(cursor())


if __name__ == "__main__":
    main()
