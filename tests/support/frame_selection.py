#!/usr/bin/env python3
"""The positions a frame selection takes, worked out again from the rules, owing nothing to the program.

The pictures of a video come from ffprobe decoding it on one thread (each picture's best-effort
timestamp and key-frame mark: position n is the n-th picture, its time its timestamp less the first's, a
picture without one taking the time of the one before). An AVI's come from its RIFF structure alone (avi_chunks.py): chunk
n is position start + n, its time n frame durations (scale/rate), a key frame when the file's index
marks it so; the positions run from the first chunk with data to the last chunk the file holds whole.
Every time is an exact fraction.

Let R be the pictures with from <= t < to. Every n-th: R[0], R[n], ...; one every s seconds: for g =
from (0 without it), from + s, ... while g < to and g <= R's last time, the first picture of R with
t >= g, each once; n spread: the same at a + (e - a) i / (n - 1), a and e the first and last times of R
(n = 1: R[0]); key frames: those of R marked so. Prints, for each selection, a line of the positions it
takes, separated by blanks.

Usage: frame_selection.py FILE SELECTION...
SELECTION: one argument, such as "--every 3 --from 1:02 --to 80.5": at most one of --every N,
--interval S, --spread N, --keyframes, and --from T, --to T.
"""
import argparse
import json
import os
import re
import subprocess
import sys
from fractions import Fraction

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import avi_chunks  # noqa: E402


def seconds(text):
    """'90', '12.5', '1:30' or '1:02:03.25' as an exact fraction."""
    if not re.fullmatch(r'(\d+:){0,2}\d*(\.\d{1,9})?', text) or text in ('', '.'):
        raise argparse.ArgumentTypeError('not a time: ' + text)
    total = Fraction(0)
    for field in text.split(':'):
        total = total * 60 + Fraction(field or '0')
    return total


def pictures_of_video(path):
    """(time, key) of every picture the decoder puts out, in order, decoding on one thread."""
    run = subprocess.run(['ffprobe', '-v', 'error', '-threads', '1', '-select_streams', 'V:0', '-show_entries',
                          'stream=time_base:frame=key_frame,best_effort_timestamp', '-of', 'json', path],
                         capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit('ffprobe failed: ' + run.stderr[-500:])
    probed = json.loads(run.stdout)
    unit = Fraction(probed['streams'][0]['time_base'])
    pictures, first, last = [], None, 0
    for frame in probed.get('frames', []):
        stamp = frame.get('best_effort_timestamp')
        if stamp is not None:
            first = stamp if first is None else first
            last = stamp - first
        pictures.append((last * unit, frame['key_frame'] == 1))
    return pictures, 0


def pictures_of_avi(path):
    """(time, key) of every position the AVI holds, and the first position."""
    layout = avi_chunks.read(path)
    held = [i for i, chunk in enumerate(layout.chunks) if chunk.size > 0]
    if not held:
        return [], 0
    first = max(layout.start, layout.start + held[0])
    end = min(layout.length, layout.start + len(layout.chunks))
    duration = Fraction(layout.scale, layout.rate)
    pictures = [(position * duration, layout.chunks[position - layout.start].size > 0 and layout.chunks[position - layout.start].key)
                for position in range(first, end)]
    return pictures, first


def chosen(pictures, options):
    """Indices of `pictures` the selection takes, in order."""
    inside = [i for i, (t, _) in enumerate(pictures)
              if (options.start is None or t >= options.start) and (options.end is None or t < options.end)]
    if not inside:
        return []
    times = [pictures[i][0] for i in inside]
    if options.every:
        return inside[::options.every]
    if options.keyframes:
        return [i for i in inside if pictures[i][1]]
    if options.interval:
        origin = options.start or Fraction(0)
        points = []
        k = 0
        while True:
            g = origin + k * options.interval
            if (options.end is not None and g >= options.end) or g > times[-1]:
                break
            points.append(g)
            k += 1
    elif options.spread:
        a, e = times[0], times[-1]
        points = [a] if options.spread == 1 else [a + (e - a) * i / (options.spread - 1) for i in range(options.spread)]
    else:
        return inside
    taken = []
    for g in points:
        first = next(i for i, t in zip(inside, times) if t >= g)
        if first not in taken:
            taken.append(first)
    return sorted(taken)


def selection_parser():
    parser = argparse.ArgumentParser()
    rule = parser.add_mutually_exclusive_group()
    rule.add_argument('--every', type=int)
    rule.add_argument('--interval', type=seconds)
    rule.add_argument('--spread', type=int)
    rule.add_argument('--keyframes', action='store_true')
    parser.add_argument('--from', dest='start', type=seconds)
    parser.add_argument('--to', dest='end', type=seconds)
    return parser


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    path = sys.argv[1]
    with open(path, 'rb') as f:
        is_avi = f.read(12)[8:12] == b'AVI '
    pictures, first = pictures_of_avi(path) if is_avi else pictures_of_video(path)
    parser = selection_parser()
    for selection in sys.argv[2:]:
        options = parser.parse_args(selection.split())
        print(' '.join(str(first + i) for i in chosen(pictures, options)))


if __name__ == '__main__':
    main()
