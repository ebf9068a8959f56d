"""Which frames: sparse choices against the ffmpeg commands that give the same stills.

A 3-minute 1080p30 H.264 MP4 with a key frame every 2 s and B-frames (5,400 pictures, testsrc2, x264
veryfast -g 60 -bf 3), made and cached like the other inputs; --long adds a 20-minute one of the same
kind, for the peak memory (the index of a long file must stay small). Every job writes JPG at ffmpeg's
-q:v 3 beside our quality 85, as the other rows do. The seek loop runs one `ffmpeg -ss T -i F -frames:v 1`
per still, which seeks to the key frame before T and decodes on from there (accurate seeking)."""

import dataclasses
import os
import statistics
import subprocess

from tool_comparison import fresh_folder

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


@dataclasses.dataclass
class Row:
    job: str
    ours: list           # our command's arguments after the program
    theirs: dict         # name -> (command builder taking (video, out_dir), target ratio or None)
    stills: int


def rows(recipe):
    last = (recipe.frames() - 1) / FRAME_RATE
    interval_times = [t for t in range(0, recipe.seconds, 7)]
    spread_times = [last * i / 19 for i in range(20)]
    return [
        Row("one every 7 s", ["--interval", "7"], {
            "ffmpeg -vf fps=1/7": (lambda v, o: ffmpeg_stills(v, o, filters="fps=1/7"), 0.10),
            "seek loop": (lambda v, o: ["sh", "-c", seek_loop(interval_times), "sh", v, o], 0.5)},
            len(interval_times)),
        Row("key frames", ["--keyframes"], {
            "ffmpeg -skip_frame nokey": (lambda v, o: ffmpeg_stills(v, o, before_input=("-skip_frame", "nokey")), 0.7)},
            recipe.frames() // KEY_INTERVAL),
        Row("every 30th", ["--every", "30"], {
            "ffmpeg select not(mod(n,30))": (lambda v, o: ffmpeg_stills(v, o, filters="select='not(mod(n\\,30))'"), 0.8)},
            recipe.frames() // 30),
        Row("20 spread", ["--spread", "20"], {
            "seek loop": (lambda v, o: ["sh", "-c", seek_loop(spread_times), "sh", v, o], None)},
            20),
    ]


@dataclasses.dataclass
class RowResult:
    row: Row
    ours_wall_s: float
    ours_peak_kib: int
    theirs_wall_s: dict
    files: int


def run_selection(cli, video, recipe, runs, work_dir, launcher, log, only=None):
    """Median wall times of `runs` alternating runs of each row; `only`: the job names to run."""
    results = []
    out_dir = os.path.join(work_dir, "selection")
    for row in rows(recipe):
        if only and row.job not in only:
            continue
        commands = {"ours": [cli, *row.ours, "--format", "jpg", "--quality", "85", "--output", out_dir, video]}
        commands.update({name: build(video, out_dir) for name, (build, _) in row.theirs.items()})
        walls = {name: [] for name in commands}
        peak = 0
        files = 0
        for run in range(runs):
            for name in (list(commands) if run % 2 == 0 else list(commands)[::-1]):
                fresh_folder(out_dir)
                os.sync()
                measurement = launcher.run_timed(commands[name])
                walls[name].append(measurement.wall_s)
                if name == "ours":
                    peak = max(peak, measurement.peak_kib)
                    files = len(os.listdir(out_dir))
                log(f"  {recipe.name} {row.job}, {name} run {run + 1}/{runs}: {measurement.wall_s:.2f} s")
        results.append(RowResult(row, statistics.median(walls["ours"]), peak,
                                 {name: statistics.median(walls[name]) for name in row.theirs}, files))
    return results


def selection_section(recipe, results, runs):
    header = ["job", "stills ours", "wall s ours", "peak MB ours", "against", "wall s theirs", "ours / theirs", "target"]
    lines = [f"### Which frames: {recipe.describe()} ({runs} runs of each)", "",
             "| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    for result in results:
        for name, (_, target) in result.row.theirs.items():
            ratio = result.ours_wall_s / result.theirs_wall_s[name]
            verdict = "" if target is None else (f"≤ {target}: met" if ratio <= target else f"≤ {target}: missed")
            lines.append("| " + " | ".join([
                f"`{' '.join(result.row.ours)}`", str(result.files), f"{result.ours_wall_s:.2f}",
                f"{result.ours_peak_kib * 1024 / 1e6:.0f}", name, f"{result.theirs_wall_s[name]:.2f}", f"{ratio:.2f}",
                verdict]) + " |")
    lines += ["", "Our stills are JPG at quality 85, ffmpeg's at -q:v 3; the seek loop runs one "
              "`ffmpeg -ss T -i IN -frames:v 1` per still, at the times our rule picks."]
    return "\n".join(lines)
