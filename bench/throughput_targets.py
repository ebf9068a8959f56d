"""The throughput goals our program is held to, checked against one input's results."""

# Ours/ffmpeg median wall time on the 640×480 input.
WALL_RATIO_LIMITS = {"jpg": 0.5, "png": 0.5, "gif": 0.5,
                     "bmp": 0.9, "tiff": 0.9, "tga": 0.9, "pcx": 0.9}
# Ours/ffmpeg total output size on the 640×480 input: (lowest, highest) allowed.
SIZE_RATIO_LIMITS = {"jpg": (0.85, 1.15), "png": (0.0, 1.10),
                     "tiff": (0.0, 1.0), "tga": (0.0, 1.0), "pcx": (0.0, 1.0)}
JPG_BOUND_LIMIT = 1.25
PEAK_LIMIT_MB = 250
RATIO_INPUT = "480p"
MEMORY_INPUTS = ("1080p", "1080p-long")


def ratio(ours, theirs):
    return ours / theirs if ours is not None and theirs else None


def missed_targets(input_name, image_format, ours, ffmpeg, bound_s):
    """The goals this result misses, as short texts; None when no goal applies to this input."""
    if input_name == RATIO_INPUT:
        return ratio_misses(image_format, ours, ffmpeg, bound_s)
    if input_name in MEMORY_INPUTS:
        peak = ours.peak_kib()
        if peak is None:
            return ["no run"]
        peak_mb = peak * 1024 / 1e6
        return [f"peak {peak_mb:.0f} MB > {PEAK_LIMIT_MB}"] if peak_mb > PEAK_LIMIT_MB else []
    return None


def ratio_misses(image_format, ours, ffmpeg, bound_s):
    wall = ratio(ours.median_wall(), ffmpeg.median_wall())
    if wall is None:
        return ["no run"]
    misses = []
    if wall > WALL_RATIO_LIMITS[image_format]:
        misses.append(f"wall {wall:.2f} > {WALL_RATIO_LIMITS[image_format]}")
    size = ratio(ours.total_bytes, ffmpeg.total_bytes)
    if image_format in SIZE_RATIO_LIMITS and size is not None:
        lowest, highest = SIZE_RATIO_LIMITS[image_format]
        if size > highest:
            misses.append(f"size {size:.2f} > {highest}")
        elif size < lowest:
            misses.append(f"size {size:.2f} < {lowest}")
    if image_format == "gif" and (ours.psnr_db or 0) < (ffmpeg.psnr_db or 0):
        misses.append("PSNR below ffmpeg's")
    if image_format == "jpg" and bound_s and ours.median_wall() > JPG_BOUND_LIMIT * bound_s:
        misses.append(f"wall {ours.median_wall() / bound_s:.2f} × bound > {JPG_BOUND_LIMIT}")
    return misses
