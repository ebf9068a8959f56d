"""The same job, "every frame of this video as images of this format", for both tools."""

import os
import re

# "gif-plain" is GIF again, against ffmpeg's plain GIF command instead of its per-frame palette one.
FORMATS = ("jpg", "png", "gif", "gif-plain", "bmp", "tiff", "tga", "pcx")
TOOLS = ("ours", "ffmpeg")

# One palette per frame, as our GIF writer builds it; ffmpeg's default uses one fixed palette.
GIF_PALETTE_FILTER = "split[a][b];[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1"


def file_format(row):
    """The image format a row of the benchmark writes."""
    return "gif" if row == "gif-plain" else row


def ours_command(cli, video, out_dir, image_format):
    return [cli, "--frames", "all", "--format", file_format(image_format), "--quality", "85",
            "--output", out_dir, video]


def ffmpeg_options(image_format):
    """What ffmpeg needs, beyond input and output names, to make files of the same kind as ours."""
    if image_format == "jpg":
        return ["-q:v", "3"]
    if image_format == "gif":
        # Without "-f image2" the .gif name picks the animated-GIF muxer and one file is written.
        return ["-vf", GIF_PALETTE_FILTER, "-f", "image2", "-c:v", "gif"]
    if image_format == "gif-plain":
        return ["-f", "image2", "-c:v", "gif"]
    if image_format == "tiff":
        # From YUV video ffmpeg's TIFF is subsampled YCbCr by default: another, lossy kind of file.
        return ["-pix_fmt", "rgb24"]
    return []


# One image per picture, as ours writes them: the image muxer would otherwise repeat or drop pictures
# to keep a constant rate where a container's timestamps are rounded.
PASSTHROUGH = ["-fps_mode", "passthrough"]


def with_filters(options, filters):
    """The options with the input's own filter chain run first, before any of the format's."""
    if not filters:
        return options
    if "-vf" not in options:
        return ["-vf", filters] + options
    at = options.index("-vf") + 1
    return options[:at] + [filters + "," + options[at]] + options[at + 1:]


def ffmpeg_command(video, out_dir, stem, image_format, filters=""):
    return (["ffmpeg", "-nostdin", "-v", "error", "-i", video, *PASSTHROUGH, "-start_number", "0"]
            + with_filters(ffmpeg_options(image_format), filters)
            + [os.path.join(out_dir, f"{stem}_%d.{file_format(image_format)}")])


def ffmpeg_command_text(image_format):
    """The ffmpeg command of a row, as the report shows it."""
    options = " ".join(f"'{option}'" if ";" in option or "[" in option else option
                       for option in ffmpeg_options(image_format))
    return f"ffmpeg -i IN {' '.join(PASSTHROUGH)} -start_number 0 {options + ' ' if options else ''}OUT_%d.{file_format(image_format)}"


def tool_command(tool, cli, video, out_dir, stem, image_format, filters=""):
    if tool == "ours":
        return ours_command(cli, video, out_dir, image_format)
    return ffmpeg_command(video, out_dir, stem, image_format, filters)


class Outputs:
    """What one run left in its output folder."""

    def __init__(self, out_dir, stem, image_format):
        frame_name = re.compile(re.escape(stem) + r"_(0|[1-9][0-9]*)\." + re.escape(image_format))
        self.frame_numbers = set()
        self.other_names = []
        self.total_bytes = 0
        for entry in os.scandir(out_dir):
            match = frame_name.fullmatch(entry.name)
            if match and entry.is_file():
                self.frame_numbers.add(int(match.group(1)))
                self.total_bytes += entry.stat().st_size
            else:
                self.other_names.append(entry.name)

    def problems(self):
        """Frame numbers must run from 0 without a gap and nothing else may be left behind."""
        found = []
        if self.frame_numbers != set(range(len(self.frame_numbers))):
            found.append("frame numbers are not 0 to N-1 without gaps")
        if self.other_names:
            found.append("unexpected files: " + ", ".join(sorted(self.other_names)[:3]))
        return found
