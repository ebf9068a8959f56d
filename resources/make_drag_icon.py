#!/usr/bin/python3
"""Draws drag.ico, the pointer shown while an entry is carried up or down the file list.

Run from this folder: /usr/bin/python3 make_drag_icon.py (Debian's python3 with python3-pil). The
drawing is fixed, so the file comes out the same on every run; it is kept in the repository as data.
"""
from PIL import Image, ImageDraw

SCALE = 4  # drawn large, then scaled down for smooth edges
SIZE = 32


def scaled(points):
    return [(x * SCALE, y * SCALE) for x, y in points]


def make_drag_icon(path):
    big = SIZE * SCALE
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    outline, fill = (20, 24, 32, 255), (255, 255, 255, 255)
    # A list entry: a bar across the middle, carried between two arrows pointing up and down.
    draw.rounded_rectangle([c * SCALE for c in (5, 12, 27, 20)], radius=2 * SCALE, fill=fill,
                           outline=outline, width=SCALE)
    for y in (14.5, 17.5):
        draw.line(scaled([(9, y), (23, y)]), fill=(59, 125, 245, 255), width=SCALE)
    draw.polygon(scaled([(16, 1), (23, 9), (9, 9)]), fill=fill, outline=outline, width=SCALE)
    draw.polygon(scaled([(16, 31), (23, 23), (9, 23)]), fill=fill, outline=outline, width=SCALE)
    image.resize((SIZE, SIZE), Image.LANCZOS).save(path, format="ICO", sizes=[(SIZE, SIZE)])


if __name__ == "__main__":
    make_drag_icon("drag.ico")
