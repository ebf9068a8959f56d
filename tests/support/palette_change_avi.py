#!/usr/bin/env python3
"""Writes an AVI of 8-bit raw pictures whose palette the file changes between pictures ('00pc' chunks).

Each change is (picture it comes before, first entry, count as the chunk gives it: 0 for as far as the
last entry). The pictures show every entry of the palette, so a wrong colour anywhere is seen.

Usage: palette_change_avi.py OUT
"""
import struct
import sys

WIDTH, HEIGHT, PICTURES = 16, 16, 40
CHANGES = [(10, 16, 32), (20, 0, 0), (25, 5, 0), (30, 200, 56)]


def chunk(fourcc, data):
    return fourcc + struct.pack('<I', len(data)) + data + (b'\0' if len(data) & 1 else b'')


def listed(kind, body):
    return chunk(b'LIST', kind + body)


def main(out):
    header_palette = b''.join(bytes((i, 0, 255 - i, 0)) for i in range(256))  # blue, green, red, spare
    avih = struct.pack('<14I', 100000, 0, 0, 0x10, PICTURES, 0, 1, 0, WIDTH, HEIGHT, 0, 0, 0, 0)
    strh = b'vids' + b'\0' * 4 + struct.pack('<IHHIIIIIIIIhhhh', 0, 0, 0, 0, 1, 10, 0, PICTURES, WIDTH * HEIGHT,
                                             0xFFFFFFFF, 0, 0, 0, WIDTH, HEIGHT)
    bitmap = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 8, 0, WIDTH * HEIGHT, 0, 0, 256, 0)
    hdrl = listed(b'hdrl', chunk(b'avih', avih) + listed(b'strl', chunk(b'strh', strh) + chunk(b'strf', bitmap + header_palette)))
    movi, index = b'', b''
    for picture in range(PICTURES):
        for before, first, count in CHANGES:
            if before == picture:
                entries = count or 256 - first
                colours = b''.join(bytes(((picture * 7 + i) & 0xFF, (i * 3) & 0xFF, 255 - picture, 0)) for i in range(entries))
                index += b'00pc' + struct.pack('<III', 0, 4 + len(movi), 4 + len(colours))
                movi += chunk(b'00pc', bytes((first, count, 0, 0)) + colours)
        pixels = bytes((i + picture) & 0xFF for i in range(WIDTH * HEIGHT))
        index += b'00db' + struct.pack('<III', 0x10, 4 + len(movi), len(pixels))
        movi += chunk(b'00db', pixels)
    with open(out, 'wb') as file:
        file.write(chunk(b'RIFF', b'AVI ' + hdrl + listed(b'movi', movi) + chunk(b'idx1', index)))


if __name__ == '__main__':
    main(sys.argv[1])
