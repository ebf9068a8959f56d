"""PSNR of a written frame against the source video's frame, both decoded by independent decoders."""

import math
import subprocess

import numpy
from PIL import Image


def ffmpeg_rgb(path, width, height, filters=""):
    """The first picture of `path` as rgb24, decoded by the ffmpeg command, through `filters` if given."""
    chain = ["-vf", filters] if filters else []
    decoded = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-frames:v", "1", *chain,
                              "-f", "rawvideo", "-pix_fmt", "rgb24", "-"], capture_output=True)
    if decoded.returncode != 0:
        raise ValueError("ffmpeg: " + decoded.stderr.decode(errors="replace").strip())
    raw = decoded.stdout
    if len(raw) != width * height * 3:
        raise ValueError(f"{path}: ffmpeg gave {len(raw)} bytes, not a {width}×{height} picture")
    return numpy.frombuffer(raw, numpy.uint8).reshape(height, width, 3)


def image_rgb(path, width, height):
    """An image file as rgb24 and the decoder that read it: PIL, or ffmpeg when PIL cannot."""
    try:
        with Image.open(path) as image:
            return numpy.asarray(image.convert("RGB")), "PIL"
    except (OSError, ValueError):
        return ffmpeg_rgb(path, width, height), "ffmpeg"


def psnr(reference, picture):
    if reference.shape != picture.shape:
        raise ValueError(f"picture is {picture.shape[1]}×{picture.shape[0]}, "
                         f"the source {reference.shape[1]}×{reference.shape[0]}")
    difference = reference.astype(numpy.float64) - picture.astype(numpy.float64)
    mse = float(numpy.mean(difference * difference))
    return math.inf if mse == 0 else 10 * math.log10(255 * 255 / mse)
