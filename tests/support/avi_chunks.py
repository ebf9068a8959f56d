#!/usr/bin/env python3
"""Lists the chunks of an AVI file's first video stream, read from the RIFF structure alone.

Prints one line per chunk the file holds whole, in file order: its byte offset and its data size.
A first line gives the stream's number, its dwStart and dwLength from the stream header. Used by the
tests as an oracle of frame positions that owes nothing to FFmpeg's AVI reader.

Usage: avi_chunks.py FILE
"""
import struct
import sys


def chunks(data, begin, end):
    """Yields (fourcc, list type or None, data offset, declared size) for each chunk in [begin, end)."""
    at = begin
    while at + 8 <= end:
        fourcc = data[at:at + 4]
        (size,) = struct.unpack_from('<I', data, at + 4)
        if fourcc in (b'RIFF', b'LIST'):
            if at + 12 > end:
                return
            yield fourcc, data[at + 8:at + 12], at + 12, size - 4
        else:
            yield fourcc, None, at + 8, size
        at += 8 + size + (size & 1)


def first_video_stream(data, header_begin, header_end):
    """(stream number, dwStart, dwLength) of the first 'vids' stream header in the hdrl list."""
    number = 0
    for fourcc, kind, offset, size in chunks(data, header_begin, header_end):
        if kind != b'strl':
            continue
        for inner, _, at, _ in chunks(data, offset, min(offset + size, header_end)):
            if inner == b'strh' and data[at:at + 4] == b'vids':
                start, length = struct.unpack_from('<II', data, at + 28)
                return number, start, length
        number += 1
    return None


def stream_chunks(data, begin, end, ids, found):
    """Appends (offset, size) of every chunk with one of `ids` in movi and rec lists; False at a break."""
    for fourcc, kind, offset, size in chunks(data, begin, end):
        if kind in (b'movi', b'rec '):
            if not stream_chunks(data, offset, min(offset + size, end), ids, found):
                return False
        elif kind is None and fourcc in ids:
            if offset + size > len(data):
                return False
            found.append((offset - 8, size))
    return True


def main():
    with open(sys.argv[1], 'rb') as f:
        data = f.read()
    video = None
    found = []
    for fourcc, kind, offset, size in chunks(data, 0, len(data)):
        if fourcc != b'RIFF' or kind not in (b'AVI ', b'AVIX'):
            break
        end = min(offset + size, len(data))
        if kind == b'AVI ':
            for inner, inner_kind, at, inner_size in chunks(data, offset, end):
                if inner_kind == b'hdrl':
                    video = first_video_stream(data, at, min(at + inner_size, end))
                    break
            if video is None:
                break
        ids = (b'%02ddc' % video[0], b'%02ddb' % video[0])
        if not stream_chunks(data, offset, end, ids, found):
            break
    if video is None:
        sys.exit('no video stream')
    print('stream %d start %d length %d' % video)
    for offset, size in found:
        print(offset, size)


if __name__ == '__main__':
    main()
