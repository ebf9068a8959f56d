"""The benchmark's input videos, made with the ffmpeg command and kept in a cache folder."""

import dataclasses
import hashlib
import json
import os
import re
import subprocess

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


@dataclasses.dataclass(frozen=True)
class InputSpec:
    name: str
    width: int
    height: int
    frames: int
    codec_name: str
    codec_args: tuple
    seed: int
    # The ffmpeg filter chain that makes the stills ours are (HDR: the README's tone mapping).
    filters: str = ""
    container: str = "avi"

    def describe(self, frames):
        chain = "; ffmpeg runs the README's tone-mapping chain" if self.filters else ""
        return f"{self.width}×{self.height} {self.codec_name} {self.container.upper()}, {frames} frames{chain}"


def readme_tone_map_chain(peak):
    """The tone-mapping chain README.md gives for HDR video, with its peak in cd/m² filled in."""
    with open(os.path.join(REPO, "README.md"), encoding="utf-8") as readme:
        chain = re.search(r'-vf "([^"]*tonemap[^"]*)"', readme.read()).group(1)
    return chain.replace("PEAK", str(peak))


HLG_HEVC = ("-c:v", "libx265", "-preset", "ultrafast", "-x265-params", "log-level=error:crf=20",
            "-pix_fmt", "yuv420p10le", "-color_primaries", "bt2020", "-color_trc", "arib-std-b67",
            "-colorspace", "bt2020nc")

# Fixed seeds keep the inputs identical from run to run and machine to machine.
INPUTS = {
    "480p": InputSpec("480p", 640, 480, 500, "MPEG-4 part 2", ("-c:v", "mpeg4", "-q:v", "3"), 480),
    "1080p": InputSpec("1080p", 1920, 1080, 300, "H.264",
                       ("-c:v", "libx264", "-preset", "veryfast", "-crf", "20"), 1080),
    # Ten times the length of 1080p: the peak memory must not grow with the video's length.
    "1080p-long": InputSpec("1080p-long", 1920, 1080, 3000, "H.264",
                            ("-c:v", "libx264", "-preset", "veryfast", "-crf", "20"), 1080),
    # The 1080p AVI's stream, made the same way, in MP4: the container's cost alone. (Copying the AVI's
    # stream would not do: AVI keeps no presentation times, and the MP4 would have broken ones.)
    "1080p-mp4": InputSpec("1080p-mp4", 1920, 1080, 300, "H.264",
                           ("-c:v", "libx264", "-preset", "veryfast", "-crf", "20"), 1080, container="mp4"),
    "1080p-mp4-long": InputSpec("1080p-mp4-long", 1920, 1080, 3000, "H.264",
                                ("-c:v", "libx264", "-preset", "veryfast", "-crf", "20"), 1080, container="mp4"),
    # What phones and cameras record now.
    "4k-hevc10": InputSpec("4k-hevc10", 3840, 2160, 60, "HEVC 10-bit",
                           ("-c:v", "libx265", "-pix_fmt", "yuv420p10le", "-preset", "ultrafast",
                            "-x265-params", "log-level=error"), 2160, container="mp4"),
    # A phone's HDR: HLG in 10-bit HEVC; every still is tone-mapped, HLG's peak being 1000 cd/m².
    "4k-hlg": InputSpec("4k-hlg", 3840, 2160, 30, "HEVC 10-bit HLG", HLG_HEVC, 2160, readme_tone_map_chain(1000), "mp4"),
    # The same at 1080p, as phones record it to save space.
    "1080p-hlg": InputSpec("1080p-hlg", 1920, 1080, 120, "HEVC 10-bit HLG", HLG_HEVC, 1081, readme_tone_map_chain(1000),
                           "mp4"),
}


def source_graph(recipe):
    """A test pattern blended with a zooming fractal and light film grain: fine detail, flat
    areas and noise, so every encoder faces something like real footage."""
    size = f"s={recipe.width}x{recipe.height}:r=25"
    return (f"testsrc2={size},format=yuv420p[pattern];"
            f"mandelbrot={size}:maxiter=256,format=yuv420p[fractal];"
            f"[pattern][fractal]blend=all_mode=average,"
            f"noise=alls=6:allf=t+u:all_seed={recipe.seed}")


def make_command(recipe, frames, path):
    return ["ffmpeg", "-nostdin", "-v", "error", "-y",
            "-f", "lavfi", "-i", source_graph(recipe), "-frames:v", str(frames),
            *recipe.codec_args, "-fflags", "+bitexact", "-flags:v", "+bitexact",
            "-f", recipe.container, path]


def ensure_input(recipe, frames, cache_dir, log):
    """Returns the path of the input video, making it first when the cache lacks it.

    The file name carries a digest of the command that makes it, so a changed recipe never
    reuses a stale file. Underscores only: the stem of the outputs is the name up to its extension."""
    digest = hashlib.sha1(json.dumps(make_command(recipe, frames, "")).encode()).hexdigest()[:10]
    stem = f"{recipe.name.replace('-', '_')}_{frames}_{digest}"
    path = os.path.join(cache_dir, f"{stem}.{recipe.container}")
    if os.path.exists(path):
        return path
    os.makedirs(cache_dir, exist_ok=True)
    log(f"making {recipe.name} input ({recipe.describe(frames)}) into {path}")
    partial = path + ".part"
    subprocess.run(make_command(recipe, frames, partial), check=True)
    made = frame_count(partial)
    if made != frames:
        raise RuntimeError(f"{partial} has {made} frames, not {frames}")
    os.replace(partial, path)
    return path


def frame_count(path):
    """The frame count the header gives: for these AVI and MP4 files (no edit list, no dropped
    frames) what our program and ffmpeg both write."""
    probe = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0",
                            "-show_entries", "stream=nb_frames", "-of", "csv=p=0", path],
                           check=True, capture_output=True, text=True)
    return int(probe.stdout.strip())


def output_stem(video_path):
    """The name our program and the ffmpeg commands give every frame file, before "_N.ext"."""
    return os.path.splitext(os.path.basename(video_path))[0]
