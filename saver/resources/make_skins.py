#!/usr/bin/env python3
"""Draws the button control's six skin pictures, 64 x 25 pixels, 24-bit BMP.

Only the outer four pixels of each side are ever copied onto a button, so the frame is
drawn with care and the inside is plain face colour. Run from anywhere; the pictures are
written next to this script as skin_<name>.bmp and committed. With --check nothing is
written and the exit code says whether the committed pictures are what the script draws.
"""

import os
import struct
import sys

WIDTH, HEIGHT = 64, 25

BEIGE = (224, 220, 201)          # outer row and column of the raised looks
OUTLINE = (0, 60, 116)
OUTLINE_CORNER = (122, 149, 168)  # the outline's corner pixel, blended into the beige
CORNER_INNER = (37, 87, 131)      # just inside a rounded corner
FACE = (243, 243, 238)
SHADE_LIGHT = (226, 223, 214)
SHADE_DARK = (214, 208, 197)

WARM_TOP = ((255, 240, 207), (253, 216, 137))
WARM_SIDE = (252, 202, 105)
WARM_BOTTOM = ((248, 179, 48), (229, 151, 0))
BLUE_TOP = ((206, 231, 255), (206, 231, 255))
BLUE_SIDE = (169, 197, 239)
BLUE_BOTTOM = ((105, 130, 238), (105, 130, 238))

SUNKEN_BACKGROUND = (236, 233, 216)
PRESSED_FACE = (226, 225, 217)
PRESSED_SHADE = (209, 204, 193)
DISABLED_OUTLINE = (201, 199, 186)
DISABLED_FACE = (245, 244, 234)


def blend(a, b, share_of_a):
    return tuple(round(x * share_of_a + y * (1 - share_of_a)) for x, y in zip(a, b))


class Picture:
    def __init__(self, fill):
        self.rows = [[fill] * WIDTH for _ in range(HEIGHT)]

    def set(self, x, y, colour):
        self.rows[y][x] = colour

    def rectangle(self, inset, colour):
        """A one-pixel ring `inset` pixels in from the edge."""
        left, top, right, bottom = inset, inset, WIDTH - 1 - inset, HEIGHT - 1 - inset
        for x in range(left, right + 1):
            self.set(x, top, colour)
            self.set(x, bottom, colour)
        for y in range(top, bottom + 1):
            self.set(left, y, colour)
            self.set(right, y, colour)

    def fill(self, inset, colour):
        for y in range(inset, HEIGHT - inset):
            for x in range(inset, WIDTH - inset):
                self.set(x, y, colour)

    def row(self, y, inset, colour):
        for x in range(inset, WIDTH - inset):
            self.set(x, y, colour)

    def column(self, x, inset, colour):
        for y in range(inset, HEIGHT - inset):
            self.set(x, y, colour)

    def round_corners(self, inset, corner, inner):
        """Anti-aliased rounded corners on the ring at `inset`."""
        left, top, right, bottom = inset, inset, WIDTH - 1 - inset, HEIGHT - 1 - inset
        for x, y, dx, dy in ((left, top, 1, 1), (right, top, -1, 1), (left, bottom, 1, -1),
                             (right, bottom, -1, -1)):
            self.set(x, y, corner)
            self.set(x + dx, y + dy, inner)

    def bmp(self):
        row_bytes = WIDTH * 3
        padding = (4 - row_bytes % 4) % 4
        pixels = bytearray()
        for y in range(HEIGHT - 1, -1, -1):  # bottom-up
            for red, green, blue in self.rows[y]:
                pixels += bytes((blue, green, red))
            pixels += bytes(padding)
        header_size = 14 + 40
        file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0,
                                  header_size)
        info_header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels),
                                  2835, 2835, 0, 0)
        return file_header + info_header + bytes(pixels)


def raised(band=None):
    """Beige edge, dark outline with rounded corners, face with a shade along the bottom;
    optionally a two-pixel coloured band inside the outline."""
    picture = Picture(FACE)
    picture.rectangle(0, BEIGE)
    picture.rectangle(1, OUTLINE)
    picture.row(HEIGHT - 4, 2, SHADE_LIGHT)
    picture.row(HEIGHT - 3, 2, SHADE_DARK)
    if band is not None:
        top, side, bottom = band
        picture.column(2, 2, side)
        picture.column(3, 2, side)
        picture.column(WIDTH - 3, 2, side)
        picture.column(WIDTH - 4, 2, side)
        picture.row(2, 2, top[0])
        picture.row(3, 3, top[1])
        picture.row(HEIGHT - 4, 3, bottom[0])
        picture.row(HEIGHT - 3, 2, bottom[1])
    picture.round_corners(1, OUTLINE_CORNER, CORNER_INNER)
    return picture


def pressed():
    picture = Picture(PRESSED_FACE)
    picture.rectangle(0, SUNKEN_BACKGROUND)
    picture.rectangle(1, SUNKEN_BACKGROUND)
    picture.rectangle(2, OUTLINE)
    # Shaded towards the top: darkest just under the outline, fading into the face.
    picture.row(3, 3, PRESSED_SHADE)
    picture.row(4, 3, blend(PRESSED_SHADE, PRESSED_FACE, 0.5))
    picture.round_corners(2, blend(OUTLINE, SUNKEN_BACKGROUND, 0.5),
                          blend(OUTLINE, PRESSED_SHADE, 0.6))
    return picture


def disabled():
    picture = Picture(DISABLED_FACE)
    picture.rectangle(0, SUNKEN_BACKGROUND)
    picture.rectangle(1, DISABLED_OUTLINE)
    picture.round_corners(1, blend(DISABLED_OUTLINE, SUNKEN_BACKGROUND, 0.5),
                          blend(DISABLED_OUTLINE, DISABLED_FACE, 0.5))
    return picture


SKINS = {
    "normal": raised(),
    "highlight": raised((WARM_TOP, WARM_SIDE, WARM_BOTTOM)),
    "highlightselect": raised((WARM_TOP, WARM_SIDE, WARM_BOTTOM)),
    "selected": raised((BLUE_TOP, BLUE_SIDE, BLUE_BOTTOM)),
    "pressed": pressed(),
    "disable": disabled(),
}


def main(arguments):
    folder = os.path.dirname(os.path.abspath(__file__))
    check_only = arguments == ["--check"]
    stale = []
    for name, picture in SKINS.items():
        path = os.path.join(folder, f"skin_{name}.bmp")
        if check_only:
            with open(path, "rb") as committed:
                if committed.read() != picture.bmp():
                    stale.append(path)
        else:
            with open(path, "wb") as output:
                output.write(picture.bmp())
    for path in stale:
        print(f"{path} differs from what make_skins.py draws")
    return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
