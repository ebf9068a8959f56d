#!/usr/bin/python3
"""Makes an interlaced MPEG-2 video of field pictures from one the ffmpeg command encodes.

FFmpeg's encoder writes only frame pictures. Encoded with `-vf setfield=tff,separatefields -c:v
mpeg2video -g 1`, each field of a frame becomes an intra picture of half the height, top field first,
each in a group of its own. Intra macroblocks are coded alike in a progressive picture and in a field
picture (a field picture has no DCT type to signal), so rewriting headers alone makes the pairs fields:
the sequence announces the full height at half the picture rate and is interlaced, each picture says
which field it is, and the headers before each second field go, so that its two fields make one frame.

Usage: field_pictures.py HALF_HEIGHT.m2v FIELDS.m2v
"""
import sys

SEQUENCE, EXTENSION, USER_DATA, SEQUENCE_END, PICTURE = 0xB3, 0xB5, 0xB2, 0xB7, 0x00
# Frame rate codes of the picture rate of fields and of frames made of two of them.
FRAME_RATE_OF_FIELD_RATE = {6: 3, 7: 4, 8: 5}  # 50 -> 25, 59.94 -> 29.97, 60 -> 30


def units(data):
    """The stream cut before each start code that is not a slice's: (code, bytes) in order."""
    starts = []
    at = data.find(b"\x00\x00\x01")
    while at >= 0:
        code = data[at + 3]
        if not 0x01 <= code <= 0xAF:
            starts.append(at)
        at = data.find(b"\x00\x00\x01", at + 3)
    return [(data[a + 3], bytearray(data[a:b])) for a, b in zip(starts, starts[1:] + [len(data)])]


def rewrite_sequence(unit):
    size = int.from_bytes(unit[4:7], "big")
    height = (size & 0xFFF) * 2
    unit[4:7] = ((size & 0xFFF000) | height).to_bytes(3, "big")
    unit[7] = (unit[7] & 0xF0) | FRAME_RATE_OF_FIELD_RATE[unit[7] & 0x0F]


def rewrite_extension(unit, field):
    kind = unit[4] >> 4
    if kind == 1:  # sequence extension: not progressive
        unit[5] &= ~0x08
    elif kind == 8:  # picture coding extension
        unit[6] = (unit[6] & 0xFC) | field  # picture structure: 1 top field, 2 bottom field
        # Top field first, frame prediction and DCT, repeat first field, 4:2:0 chroma type and
        # progressive frame all off, as a field picture has them.
        unit[7] &= ~0xC3
        unit[8] &= ~0x80


def main(source, target):
    with open(source, "rb") as file:
        data = file.read()
    out = bytearray()
    fields = 0
    in_picture = False  # extensions and user data belong to the header before them
    for code, unit in units(data):
        if code == PICTURE:
            fields += 1
            in_picture = True
        elif code != EXTENSION and code != USER_DATA:
            in_picture = False
            # A second field follows its first at once.
            if code != SEQUENCE_END and fields % 2:
                continue
        elif not in_picture and fields % 2:
            continue
        if code == SEQUENCE:
            rewrite_sequence(unit)
        elif code == EXTENSION:
            rewrite_extension(unit, 2 - fields % 2)
        out += unit
    if fields % 2:
        sys.exit("an odd number of fields")
    with open(target, "wb") as file:
        file.write(out)


if __name__ == "__main__":
    main(*sys.argv[1:3])
