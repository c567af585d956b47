"""ICO files: read and written, and the icon that install.exe carries made
from a publisher's picture (a PNG, or an ICO of any images) with Pillow.

Windows 95 to 11 draw a program's icon from these images, which the icon is
made of, in this order:

    16 and 32 pixels in 16 and in 256 colours (4 and 8 bits), as Windows 95
    draws them on displays of either, and NT 4.0 and later on every display;
    48 pixels in true colour with an alpha channel (32 bits), which Windows
    XP to 11 draw in Explorer's larger views and for the CD drive.

Each is a Windows bitmap (an ICO image as Windows 95 reads it) with its
transparency mask. A 256-colour image's palette holds the colours it uses
alone (its header's biClrUsed), as every bitmap's may.
"""
import io
import struct

# The images the icon has: (pixels, bits), in the file's order.
IMAGES = ((16, 4), (16, 8), (32, 4), (32, 8), (48, 32))
# A picture must be at least this large: the largest image Windows 95 draws.
SMALLEST_PICTURE = 32
# Windows' 16 colours, in the order of its palette: a 16-colour image is in
# these, which every display mode has.
WINDOWS_COLOURS = ((0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128),
                   (128, 0, 128), (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0),
                   (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255),
                   (255, 255, 255))


class IconFault(Exception):
    """A picture that no icon can be made of; the text says why."""


def read(data):
    """The images of an ICO file, each as (width, bits, its bytes, is_png);
    raises IconFault when it is not one."""
    if data[:4] != b"\0\0\1\0" or len(data) < 6:
        raise IconFault("is not an icon (.ico)")
    count = struct.unpack_from("<H", data, 4)[0]
    if count == 0 or len(data) < 6 + 16 * count:
        raise IconFault("is not an icon (.ico)")
    images = []
    for index in range(count):
        width, _, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", data,
                                                                  6 + 16 * index)
        image = data[offset:offset + length]
        if len(image) != length:
            raise IconFault("is not an icon (.ico): an image is cut short")
        if image.startswith(b"\x89PNG") and len(image) >= 24:
            images.append((struct.unpack_from(">I", image, 16)[0], 32, image, True))
            continue
        if length < 40:
            raise IconFault("is not an icon (.ico): an image is cut short")
        header, size, double, planes, bits, compression = struct.unpack_from("<IiiHHI", image)
        if (header != 40 or size != (width or 256) or double != 2 * size or planes != 1 or
                compression != 0 or bits not in (1, 4, 8, 24, 32)):
            raise IconFault("is not an icon (.ico): an image is not a bitmap as an icon's")
        images.append((size, bits, image, False))
    return images


def _file(entries):
    """An ICO file of `entries`, each the first six fields of its directory
    entry (width, height, colours, reserved, planes, bits) and the image."""
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for fields, data in entries:
        out += struct.pack("<BBBBHHII", *fields, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in entries)


def write(images):
    """An ICO file of `images`, each (pixels, bits, its bytes)."""
    return _file([((size % 256, size % 256, 1 << bits if bits <= 4 else 0, 0, 1, bits), data)
                  for size, bits, data in images])


def from_group(group, image):
    """The ICO file that a program's icon stands for: its group (an
    RT_GROUP_ICON resource, whose entries name each image by its id where
    the file gives an offset) and its images, `image(id)` the bytes of the
    RT_ICON resource of that id, or None."""
    count = struct.unpack_from("<H", group, 4)[0] if len(group) >= 6 else 0
    if count == 0 or len(group) < 6 + 14 * count:
        raise IconFault("is no icon group")
    entries = []
    for index in range(count):
        fields = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * index)
        data = image(fields[7])
        if data is None:
            raise IconFault("has no image %d, which its icon names" % fields[7])
        entries.append((fields[:6], data))
    return _file(entries)


def _padding(row_bytes):
    """The zeroes that end a bitmap's row of `row_bytes` bytes."""
    return b"\0" * (-row_bytes % 4)


def bitmap(picture, bits):
    """The icon image of the square RGBA `picture` in `bits` (4, 8 or 32):
    its header, palette, colours and mask, bottom row first. A pixel less
    than half opaque is transparent; 16 colours are Windows' own."""
    from PIL import Image

    size = picture.size[0]
    alpha = picture.getchannel("A")
    mask_row = (size + 31) // 32 * 4
    mask = b""
    for y in range(size - 1, -1, -1):
        row = 0
        for x in range(size):
            row = row << 1 | (alpha.getpixel((x, y)) < 128)
        mask += row.to_bytes((size + 7) // 8, "big").ljust(mask_row, b"\0")
    if bits == 32:
        pixels = b""
        for y in range(size - 1, -1, -1):
            for x in range(size):
                r, g, b, a = picture.getpixel((x, y))
                pixels += bytes((b, g, r, a))
        header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(pixels) + len(mask),
                             0, 0, 0, 0)
        return header + pixels + mask
    # Transparent pixels are black, which the mask leaves as the screen was.
    solid = Image.new("RGB", picture.size)
    solid.paste(picture.convert("RGB"), mask=alpha.point(lambda a: 255 if a >= 128 else 0))
    if bits == 4:
        palette = Image.new("P", (1, 1))
        palette.putpalette([level for colour in WINDOWS_COLOURS for level in colour])
        indexed = solid.quantize(palette=palette, dither=Image.Dither.NONE)
        colours = list(WINDOWS_COLOURS)
        if max(indexed.getdata()) >= len(colours):
            raise IconFault("cannot be put in Windows' 16 colours")
    else:
        indexed = solid.quantize(colors=256, dither=Image.Dither.NONE)
        used = max(indexed.getdata()) + 1
        levels = indexed.getpalette()[:3 * used]
        colours = [tuple(levels[i:i + 3]) for i in range(0, len(levels), 3)]
    pixels = b""
    for y in range(size - 1, -1, -1):
        row = [indexed.getpixel((x, y)) for x in range(size)]
        if bits == 4:
            packed = bytes(row[i] << 4 | row[i + 1] for i in range(0, size, 2))
        else:
            packed = bytes(row)
        pixels += packed + _padding(len(packed))
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, len(pixels) + len(mask),
                         0, 0, len(colours) if bits == 8 else 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    return header + palette + pixels + mask


def _opened(data):
    """The picture in `data` as Pillow opens it, or None."""
    from PIL import Image

    try:
        picture = Image.open(io.BytesIO(data))
        picture.load()
        return picture
    except Exception:
        return None


def sources(data):
    """The pictures that the icon's images are made from, by their size: an
    ICO's own images (the one of most colours of each size), or a PNG; each
    square RGBA. Raises IconFault for a file that is neither, or a picture
    that is not square or is smaller than 32 pixels."""
    from PIL import Image

    pictures = {}
    if data.startswith(b"\0\0\1\0"):
        best = {}
        for size, bits, image, _ in read(data):
            if bits >= best.get(size, (0,))[0]:
                best[size] = (bits, image)
        for size, (bits, image) in best.items():
            # Pillow opens a single image as an ICO of its own.
            picture = _opened(write([(size, bits, image)]))
            if picture is None:
                raise IconFault("is not an icon (.ico): its %d×%d image cannot be read" %
                                (size, size))
            pictures[size] = picture.convert("RGBA")
    else:
        picture = _opened(data)
        if picture is None or picture.format != "PNG":
            raise IconFault("is no picture: give a PNG, or an icon (.ico)")
        if picture.size[0] != picture.size[1]:
            raise IconFault("is %d×%d pixels, not square" % picture.size)
        pictures[picture.size[0]] = picture.convert("RGBA")
    largest = max(pictures)
    if largest < SMALLEST_PICTURE:
        raise IconFault("is %d×%d pixels; it must be at least %d×%d" %
                        (largest, largest, SMALLEST_PICTURE, SMALLEST_PICTURE))
    return pictures


def make(data):
    """The ICO that install.exe carries, made from the picture in `data`. An
    ICO of exactly the images it needs, in their order, is taken as it is."""
    from PIL import Image

    if data.startswith(b"\0\0\1\0"):
        images = read(data)
        if [(size, bits, png) for size, bits, _, png in images] == [
                (size, bits, False) for size, bits in IMAGES]:
            return data
    pictures = sources(data)
    largest = pictures[max(pictures)]
    made = []
    for size, bits in IMAGES:
        # From the image of that size where there is one, else from the
        # largest, with a filter that keeps its edges sharp.
        picture = pictures.get(size) or largest.resize((size, size), Image.Resampling.LANCZOS)
        made.append((size, bits, bitmap(picture, bits)))
    return write(made)


def describe(data):
    """What an ICO holds, for the build to say: "16×16 4-bit, ..."."""
    return ", ".join("%d×%d %d-bit" % (size, size, bits) for size, bits, _, _ in read(data))


def resource_bytes(data):
    """The bytes that an ICO takes in a program: its images, and their group,
    an entry of 14 bytes each after a header of 6."""
    images = read(data)
    return 6 + 14 * len(images) + sum(len(image) for _, _, image, _ in images)
