#!/usr/bin/env python3
"""Draws the icons of our own editions, with the images Windows 95 to 11
draw a program's icon from (icons.py): 16 and 32 pixels in Windows' 16
colours, kept in 4 and in 8 bits, and 48 pixels in true colour, whose edges
are as opaque as the shape covers them.

    draw_icons.py FOLDER    writes FOLDER/plain.ico, vexmoor.ico, tidewater.ico,
                            and tidewater.png, the picture of 256 pixels a
                            publisher would give (the tests build with it)

Each picture is a shape measured at the pixel's centre, sampled four times
over (eight at 48 pixels), in the colour of the 16 that Windows has in every
display mode; what lies outside it is transparent. The same script gives the
same bytes.
"""
import io
import math
import os
import sys

from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))
import icons  # noqa: E402

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


def picture(shape, size):
    """The shape drawn in `size` pixels, top row first: each pixel in the
    colour most of its samples have, as opaque as they are inside it."""
    steps = 4 if size >= 48 else 2
    smooth = size >= 48
    out = Image.new("RGBA", (size, size))
    for row in range(size):
        for column in range(size):
            votes = {}
            for dy in range(steps):
                for dx in range(steps):
                    x = (column + (dx + 0.5) / steps) / size * 2 - 1
                    y = (row + (dy + 0.5) / steps) / size * 2 - 1
                    colour = shape(x, y)
                    votes[colour] = votes.get(colour, 0) + 1
            colour = max(votes, key=lambda c: (votes[c], -1 if c is None else c))
            inside = steps * steps - votes.get(None, 0)
            if not smooth:
                alpha = 0 if colour is None else 255
            else:
                alpha = round(255 * inside / (steps * steps))
            if colour is None:
                colour = max((c for c in votes if c is not None), key=lambda c: votes[c],
                             default=BLACK)
            out.putpixel((column, row), icons.WINDOWS_COLOURS[colour] + (alpha,))
    return out


def icon(shape):
    pictures = {size: picture(shape, size) for size in {size for size, _ in icons.IMAGES}}
    return icons.write([(size, bits, icons.bitmap(pictures[size], bits))
                        for size, bits in icons.IMAGES])


def main(arguments):
    if len(arguments) != 1:
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    made = [(name + ".ico", icon(shape))
            for name, shape in (("plain", plain), ("vexmoor", vexmoor), ("tidewater", tidewater))]
    png = io.BytesIO()
    picture(tidewater, 256).save(png, "PNG", optimize=True)
    made.append(("tidewater.png", png.getvalue()))
    for name, data in made:
        path = os.path.join(arguments[0], name)
        with open(path + ".new", "wb") as file:
            file.write(data)
        os.replace(path + ".new", path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
