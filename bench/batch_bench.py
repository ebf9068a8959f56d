"""Many small files in one run: what each file costs before its frames do.

200 AVIs of one second each, in four codecs, converted to JPG by one run of our program and by a
shell loop of ffmpeg commands, one per file. A run of ours that takes only the first frame of each
file gives the set-up cost per file: opening, reading the headers, starting the decoder, one frame."""

import dataclasses
import os
import statistics
import subprocess

from tool_comparison import fresh_folder

FILES = 200
CODECS = (("mjpeg", ("-c:v", "mjpeg", "-q:v", "3")),
          ("mpeg4", ("-c:v", "mpeg4", "-q:v", "3")),
          ("msmpeg4", ("-c:v", "msmpeg4", "-q:v", "3")),
          ("h264", ("-c:v", "libx264", "-preset", "veryfast", "-crf", "20")))
DESCRIPTION = f"{FILES} AVIs of 320×240, 25 frames each, {len(CODECS)} codecs"
FFMPEG_LOOP = ('for f in "$@"; do ffmpeg -nostdin -v error -i "$f" -start_number 0 -q:v 3 '
               '"$OUT/$(basename "$f" .avi)_%d.jpg" || exit 1; done')


def ensure_batch(cache_dir, log):
    """The batch's files, made once into the cache."""
    folder = os.path.join(cache_dir, "batch200")
    paths = []
    for index in range(FILES):
        name, codec_args = CODECS[index % len(CODECS)]
        path = os.path.join(folder, f"clip{index:03d}_{name}.avi")
        paths.append(path)
        if os.path.exists(path):
            continue
        if index == 0:
            log(f"making the batch input ({DESCRIPTION}) into {folder}")
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                        f"testsrc2=s=320x240:r=25,noise=alls=6:allf=t+u:all_seed={index}",
                        "-frames:v", "25", *codec_args, "-fflags", "+bitexact", "-flags:v", "+bitexact",
                        "-f", "avi", path + ".part"], check=True)
        os.replace(path + ".part", path)
    return paths


@dataclasses.dataclass
class BatchResult:
    ours_wall_s: float
    ffmpeg_wall_s: float
    first_frames_wall_s: float   # ours, one frame of each file

    def ratio(self):
        return self.ours_wall_s / self.ffmpeg_wall_s

    def set_up_ms(self):
        return 1000 * self.first_frames_wall_s / FILES


def run_batch(cli, files, runs, work_dir, launcher, log):
    """Median wall times over `runs` alternating runs."""
    walls = {"ours": [], "ffmpeg": [], "first": []}
    out_dir = os.path.join(work_dir, "batch")
    commands = {
        "ours": [cli, "--format", "jpg", "--quality", "85", "--output", out_dir, *files],
        "ffmpeg": ["sh", "-c", FFMPEG_LOOP.replace("$OUT", out_dir), "sh", *files],
        "first": [cli, "--frames", "1", "--format", "jpg", "--output", out_dir, *files],
    }
    for run in range(runs):
        for tool in ("ours", "ffmpeg", "first") if run % 2 == 0 else ("first", "ffmpeg", "ours"):
            fresh_folder(out_dir)
            os.sync()
            walls[tool].append(launcher.run_timed(commands[tool]).wall_s)
            log(f"  batch {tool} run {run + 1}/{runs}: {walls[tool][-1]:.2f} s")
    return BatchResult(*(statistics.median(walls[tool]) for tool in ("ours", "ffmpeg", "first")))


def batch_section(result, runs):
    header = ["job", "wall s ours", "wall s ffmpeg loop", "ours / ffmpeg", "set-up per file ms (ours)"]
    row = [DESCRIPTION + ", to JPG", f"{result.ours_wall_s:.2f}", f"{result.ffmpeg_wall_s:.2f}",
           f"{result.ratio():.2f}", f"{result.set_up_ms():.1f}"]
    return "\n".join([f"### Many small files ({runs} runs of each)", "",
                      "| " + " | ".join(header) + " |", "|" + "---|" * len(header), "| " + " | ".join(row) + " |", "",
                      "ffmpeg's loop: `" + FFMPEG_LOOP.replace("$OUT", "OUT") + "`; set-up per file is our "
                      "wall time for the first frame of every file, divided by the files."])
