#!/usr/bin/env python3
"""Lists the chunks of an AVI file's first video stream, read from the RIFF structure alone.

Prints one line per chunk the file holds whole, in file order: its byte offset and its data size.
A first line gives the stream's number, its dwStart and dwLength from the stream header. Used by the
tests as an oracle of frame positions that owes nothing to FFmpeg's AVI reader; read() also gives the
stream's frame duration and which chunks the file's index marks as key frames.

Usage: avi_chunks.py FILE
"""
import struct
import sys
from dataclasses import dataclass, field

AVIIF_KEYFRAME = 0x10


@dataclass
class Chunk:
    offset: int
    size: int
    key: bool = True  # without an index every chunk is a key frame, as FFmpeg reads such files


@dataclass
class Layout:
    stream: int
    start: int
    length: int
    scale: int
    rate: int
    chunks: list = field(default_factory=list)


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
    """(stream number, dwStart, dwLength, dwScale, dwRate) of the first 'vids' stream header in hdrl."""
    number = 0
    for fourcc, kind, offset, size in chunks(data, header_begin, header_end):
        if kind != b'strl':
            continue
        for inner, _, at, _ in chunks(data, offset, min(offset + size, header_end)):
            if inner == b'strh' and data[at:at + 4] == b'vids':
                scale, rate, start, length = struct.unpack_from('<IIII', data, at + 20)
                return number, start, length, scale, rate
        number += 1
    return None


def stream_chunks(data, begin, end, ids, found, indexes):
    """Appends (offset, size) of every chunk with one of `ids` in movi and rec lists, and the data offsets
    of the stream's OpenDML standard indexes; False at a break."""
    for fourcc, kind, offset, size in chunks(data, begin, end):
        if kind in (b'movi', b'rec '):
            if not stream_chunks(data, offset, min(offset + size, end), ids, found, indexes):
                return False
        elif kind is None and fourcc in ids:
            if offset + size > len(data):
                return False
            found.append((offset - 8, size))
        elif kind is None and fourcc == b'ix%02d' % int(ids[0][:2]) and offset + size <= len(data):
            indexes.append(offset)
    return True


def key_flags(data, layout, idx1, indexes):
    """Marks the chunks the file's index calls key frames: OpenDML's standard indexes, else idx1."""
    flags = []
    for at in indexes:
        entries_in_use, = struct.unpack_from('<I', data, at + 4)
        for k in range(entries_in_use):
            _, size = struct.unpack_from('<II', data, at + 24 + 8 * k)
            flags.append(not size & 0x80000000)
    if not flags and idx1 is not None:
        offset, size = idx1
        ids = (b'%02ddc' % layout.stream, b'%02ddb' % layout.stream)
        for k in range(size // 16):
            ckid, entry_flags = struct.unpack_from('<4sI', data, offset + 16 * k)
            if ckid in ids:
                flags.append(bool(entry_flags & AVIIF_KEYFRAME))
    for chunk, key in zip(layout.chunks, flags):
        chunk.key = key


def read(path):
    with open(path, 'rb') as f:
        data = f.read()
    layout = None
    found, indexes, idx1 = [], [], None
    for fourcc, kind, offset, size in chunks(data, 0, len(data)):
        if fourcc != b'RIFF' or kind not in (b'AVI ', b'AVIX'):
            break
        end = min(offset + size, len(data))
        if kind == b'AVI ':
            for inner, inner_kind, at, inner_size in chunks(data, offset, end):
                if inner_kind == b'hdrl':
                    video = first_video_stream(data, at, min(at + inner_size, end))
                    layout = Layout(*video) if video else None
                elif inner == b'idx1' and at + inner_size <= len(data):
                    idx1 = (at, inner_size)
            if layout is None:
                break
        ids = (b'%02ddc' % layout.stream, b'%02ddb' % layout.stream)
        if not stream_chunks(data, offset, end, ids, found, indexes):
            break
    if layout is None:
        sys.exit('no video stream')
    layout.chunks = [Chunk(offset, size) for offset, size in found]
    key_flags(data, layout, idx1, indexes)
    return layout


def main():
    layout = read(sys.argv[1])
    print('stream %d start %d length %d' % (layout.stream, layout.start, layout.length))
    for chunk in layout.chunks:
        print(chunk.offset, chunk.size)


if __name__ == '__main__':
    main()
