#!/usr/bin/python3
"""Draws the program's icon (stillpress.png), hand cursor (HAND-M.CUR) and the skin's drop-down
arrow (down-arrow.png).

Run from this folder: /usr/bin/python3 make_resources.py (Debian's python3 with python3-pil). The drawing is fixed, so the files come out the
same on every run; both are kept in the repository as data.
"""
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFilter

SCALE = 4  # drawn large, then scaled down for smooth edges


def rounded(draw, box, radius, fill):
    draw.rounded_rectangle([c * SCALE for c in box], radius=radius * SCALE, fill=fill)


def make_icon(path, size=256):
    big = size * SCALE
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))

    # Blue tile with a top-to-bottom gradient.
    gradient = Image.new("RGBA", (1, 256))
    for y in range(256):
        t = y / 255
        gradient.putpixel((0, y), (int(0x3b + (0x1d - 0x3b) * t), int(0x7d + (0x4a - 0x7d) * t),
                                   int(0xf5 + (0xb8 - 0xf5) * t), 255))
    gradient = gradient.resize((big, big))
    mask = Image.new("L", (big, big), 0)
    ImageDraw.Draw(mask).rounded_rectangle([8 * SCALE, 8 * SCALE, 248 * SCALE, 248 * SCALE],
                                           radius=48 * SCALE, fill=255)
    image.paste(gradient, (0, 0), mask)
    draw = ImageDraw.Draw(image)

    # A film strip across the upper half, its frames marked by sprocket holes.
    rounded(draw, (28, 44, 228, 124), 10, (24, 28, 38, 255))
    for x in range(38, 220, 24):
        rounded(draw, (x, 52, x + 12, 60), 2, (235, 238, 245, 255))
        rounded(draw, (x, 108, x + 12, 116), 2, (235, 238, 245, 255))
    for x in (40, 102, 164):
        rounded(draw, (x, 66, x + 52, 102), 4, (120, 170, 240, 255))

    # The still picture it becomes: a white card with sky, sun and hills.
    rounded(draw, (92, 112, 226, 222), 10, (255, 255, 255, 255))
    rounded(draw, (102, 122, 216, 206), 4, (150, 205, 250, 255))
    draw.ellipse([c * SCALE for c in (178, 132, 200, 154)], fill=(255, 200, 60, 255))
    draw.polygon([(c[0] * SCALE, c[1] * SCALE) for c in ((102, 206), (140, 158), (172, 190), (188, 174),
                                                          (216, 200), (216, 206))], fill=(46, 160, 90, 255))
    image.resize((size, size), Image.LANCZOS).save(path, optimize=True)


def hand_shape():
    """The pointing hand as a 32x32 mask drawn at four times the size."""
    big = 32 * SCALE
    mask = Image.new("L", (big, big), 0)
    draw = ImageDraw.Draw(mask)
    rounded(draw, (11, 1, 17, 20), 3, 255)    # index finger, pointing up
    rounded(draw, (16, 10, 21, 22), 2.5, 255)  # middle finger, folded
    rounded(draw, (20, 11, 25, 22), 2.5, 255)  # ring finger
    rounded(draw, (24, 12, 28, 22), 2, 255)    # little finger
    rounded(draw, (11, 15, 28, 30), 5, 255)    # palm
    draw.polygon([(c[0] * SCALE, c[1] * SCALE) for c in ((12, 18), (6, 13), (3, 15), (9, 25), (13, 27))],
                 fill=255)  # thumb
    return mask


def make_cursor(path):
    big = 32 * SCALE
    fill = hand_shape()
    outline = fill.filter(ImageFilter.MaxFilter(2 * SCALE + 1))
    lines = Image.new("L", (big, big), 0)
    draw = ImageDraw.Draw(lines)
    for x in (16.5, 20.5, 24.3):  # the gaps between the folded fingers
        draw.line([(x * SCALE, 12 * SCALE), (x * SCALE, 16 * SCALE)], fill=255, width=SCALE)

    white = ImageChops.subtract(fill, lines)
    alpha = outline.resize((32, 32), Image.LANCZOS)
    brightness = white.resize((32, 32), Image.LANCZOS)
    pixels = []
    for y in range(31, -1, -1):  # bottom-up rows
        for x in range(32):
            a = alpha.getpixel((x, y))
            v = brightness.getpixel((x, y)) if a else 0
            pixels.append(struct.pack("<BBBB", v, v, v, a))

    xor_bitmap = b"".join(pixels)
    and_mask = bytes(4 * 32)  # all zero: the alpha channel decides
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 32, 0, len(xor_bitmap) + len(and_mask), 0, 0, 0, 0)
    image = header + xor_bitmap + and_mask
    hot_x, hot_y = 14, 1  # the tip of the index finger
    directory = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", 32, 32, 0, 0, hot_x, hot_y, len(image), 22)
    with open(path, "wb") as out:
        out.write(directory + image)


def make_down_arrow(path, width=10, height=6):
    big = Image.new("RGBA", (width * SCALE, height * SCALE), (0, 0, 0, 0))
    ImageDraw.Draw(big).polygon([(0, 0), (width * SCALE, 0), (width * SCALE / 2, height * SCALE)],
                                fill=(0x2a, 0x5b, 0xd7, 255))
    big.resize((width, height), Image.LANCZOS).save(path, optimize=True)


if __name__ == "__main__":
    make_icon("stillpress.png")
    make_cursor("HAND-M.CUR")
    make_down_arrow("down-arrow.png")
