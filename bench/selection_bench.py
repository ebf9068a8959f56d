"""Which frames: sparse choices against the ffmpeg commands that give the same stills.

A 3-minute 1080p30 H.264 MP4 with a key frame every 2 s and B-frames (5,400 pictures, testsrc2, x264
veryfast -g 60 -bf 3), made and cached like the other inputs; --long adds a 20-minute one of the same
kind, for the peak memory (the index of a long file must stay small). Every job writes JPG at ffmpeg's
-q:v 3 beside our quality 85, as the other rows do. The seek loop runs one `ffmpeg -ss T -i F -frames:v 1`
per still, which seeks to the key frame before T and decodes on from there (accurate seeking)."""

import dataclasses
import os
import subprocess

from job_rows import Row, rows_section, run_rows

FRAME_RATE = 30
KEY_INTERVAL = 60


@dataclasses.dataclass(frozen=True)
class SelectionInput:
    name: str
    seconds: int

    def frames(self):
        return self.seconds * FRAME_RATE

    def describe(self):
        return (f"{self.seconds // 60}-minute 1920×1080 H.264 MP4, {self.frames()} pictures, "
                f"a key frame every {KEY_INTERVAL // FRAME_RATE} s, B-frames")


SHORT = SelectionInput("3min", 180)
LONG = SelectionInput("20min", 1200)


def ensure_selection_input(recipe, cache_dir, log):
    path = os.path.join(cache_dir, f"selection_{recipe.name}_{recipe.frames()}.mp4")
    if os.path.exists(path):
        return path
    os.makedirs(cache_dir, exist_ok=True)
    log(f"making the {recipe.name} selection input ({recipe.describe()}) into {path}")
    subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                    f"testsrc2=s=1920x1080:r={FRAME_RATE}", "-frames:v", str(recipe.frames()), "-pix_fmt", "yuv420p",
                    "-c:v", "libx264", "-preset", "veryfast", "-g", str(KEY_INTERVAL), "-bf", "3",
                    "-fflags", "+bitexact", "-flags:v", "+bitexact", path + ".part.mp4"], check=True)
    os.replace(path + ".part.mp4", path)
    return path


def seek_loop(times):
    """One ffmpeg process per still, each seeking before its input."""
    return ('i=0; for t in ' + " ".join(f"{t:.6f}" for t in times) + '; do '
            'ffmpeg -nostdin -v error -ss "$t" -i "$1" -frames:v 1 -q:v 3 "$2/seek_$i.jpg" || exit 1; '
            'i=$((i+1)); done')


def ffmpeg_stills(video, out_dir, before_input=(), filters=None):
    return (["ffmpeg", "-nostdin", "-v", "error", *before_input, "-i", video, "-map", "0:V:0"]
            + (["-vf", filters] if filters else []) + ["-fps_mode", "passthrough", "-q:v", "3",
                                                        os.path.join(out_dir, "still_%d.jpg")])


def rows(recipe):
    last = (recipe.frames() - 1) / FRAME_RATE
    interval_times = [t for t in range(0, recipe.seconds, 7)]
    spread_times = [last * i / 19 for i in range(20)]
    return [
        Row("one every 7 s", ["--interval", "7"], {
            "ffmpeg -vf fps=1/7": (lambda c, v, o: ffmpeg_stills(v, o, filters="fps=1/7"), 0.10),
            "seek loop": (lambda c, v, o: ["sh", "-c", seek_loop(interval_times), "sh", v, o], 0.5)}),
        Row("key frames", ["--keyframes"], {
            "ffmpeg -skip_frame nokey": (lambda c, v, o: ffmpeg_stills(v, o, before_input=("-skip_frame", "nokey")), 0.7)}),
        Row("every 30th", ["--every", "30"], {
            "ffmpeg select not(mod(n,30))": (lambda c, v, o: ffmpeg_stills(v, o, filters="select='not(mod(n\\,30))'"), 0.8)}),
        Row("20 spread", ["--spread", "20"], {
            "seek loop": (lambda c, v, o: ["sh", "-c", seek_loop(spread_times), "sh", v, o], None)}),
        # Every picture of a range: its groups of pictures read ahead must not all wait in memory.
        Row("every frame of 1:00-1:20", ["--from", "60", "--to", "80"], {
            "ffmpeg -ss 60 -to 80": (lambda c, v, o: ffmpeg_stills(v, o, before_input=("-ss", "60", "-to", "80")), None)}),
    ]


def run_selection(cli, video, recipe, runs, work_dir, launcher, log, only=None):
    """Every row of `recipe`; `only`: the job names to run."""
    chosen = [row for row in rows(recipe) if not only or row.job in only]
    return run_rows(cli, video, chosen, runs, work_dir, launcher, log, recipe.name)


def selection_section(recipe, results, runs):
    return rows_section(f"Which frames: {recipe.describe()}", results, runs,
                        "Our stills are JPG at quality 85, ffmpeg's at -q:v 3; the seek loop runs one "
                        "`ffmpeg -ss T -i IN -frames:v 1` per still, at the times our rule picks.")
