#!/usr/bin/env python3
"""Draws the icons of our own editions, as 16-colour ICO files of 16 and 32
pixels, the images Windows 95 to 11 draw a program's icon from:

    draw_icons.py FOLDER    writes FOLDER/plain.ico, vexmoor.ico, tidewater.ico

Each picture is a shape measured at the pixel's centre, sampled four times
over, in the colour of the 16 that Windows has in every display mode; what
lies outside it is transparent. The same script gives the same bytes.
"""
import math
import os
import struct
import sys

# Windows' 16 colours, in the order of its palette.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, NAVY, TEAL, SILVER, GREY, BLUE, AQUA, WHITE, GREEN, OLIVE, PURPLE, YELLOW = \
    0, 4, 6, 7, 8, 12, 14, 15, 2, 3, 5, 11


def plain(x, y):
    """A disc: silver, a grey rim, the hole in its middle."""
    r = math.hypot(x, y)
    if r > 1 or r < 0.2:
        return None
    if r > 0.88 or r < 0.3:
        return GREY
    return WHITE if -0.5 < x - y < 0.1 and x > 0 else SILVER


def vexmoor(x, y):
    """A moor at dusk in a round frame: a purple sky, a yellow moon, a green
    hill with a black V of a tower's shadow."""
    r = math.hypot(x, y)
    if r > 1:
        return None
    if r > 0.86:
        return BLACK
    if y > 0.25 - 0.2 * x * x:
        if abs(x) * 0.9 < (y - 0.2) * 0.75 and y > 0.35:
            return BLACK
        return GREEN
    if math.hypot(x - 0.35, y + 0.4) < 0.2:
        return YELLOW
    return PURPLE


def tidewater(x, y):
    """The sea at high tide in a round frame: waves of blue and aqua under a
    white sky."""
    r = math.hypot(x, y)
    if r > 1:
        return None
    if r > 0.86:
        return NAVY
    wave = y - 0.15 * math.sin(x * 5)
    if wave < -0.3:
        return WHITE
    return (AQUA, BLUE, NAVY, TEAL)[int((wave + 0.3) / 0.3) % 4]


def image(shape, size):
    """The image's bitmap: its header, palette, colours and mask, bottom row
    first, as Windows keeps an icon's image."""
    colours, mask = [], []
    for row in range(size - 1, -1, -1):
        line, bits = [], []
        for column in range(size):
            votes = {}
            for dy in (0.25, 0.75):
                for dx in (0.25, 0.75):
                    x = (column + dx) / size * 2 - 1
                    y = (row + dy) / size * 2 - 1
                    colour = shape(x, y)
                    votes[colour] = votes.get(colour, 0) + 1
            colour = max(votes, key=lambda c: (votes[c], -1 if c is None else c))
            line.append(0 if colour is None else colour)
            bits.append(1 if colour is None else 0)
        colours.append(bytes(line[i] << 4 | line[i + 1] for i in range(0, size, 2)).ljust(
            (size // 2 + 3) // 4 * 4, b"\0"))
        mask.append(int("".join(map(str, bits)), 2).to_bytes(size // 8, "big").ljust(4, b"\0"))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    return header + palette + b"".join(colours) + b"".join(mask)


def icon(shape):
    images = [image(shape, size) for size in (32, 16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main(arguments):
    if len(arguments) != 1:
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    for name, shape in (("plain", plain), ("vexmoor", vexmoor), ("tidewater", tidewater)):
        path = os.path.join(arguments[0], name + ".ico")
        with open(path + ".new", "wb") as file:
            file.write(icon(shape))
        os.replace(path + ".new", path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
