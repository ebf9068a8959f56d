"""Pictures shaped, and images kept, at 1080p: each against the ffmpeg chain that gives the same stills.

--size 320x on the 1080p input against `scale=320:-1`; --deinterlace on a 1080i H.264 transport stream
against bwdif; --square-pixels on an anamorphic 720×480 MPEG-2 against `scale='trunc(iw*sar+0.5)':ih`;
--skip-existing on a folder the run has filled already against converting it."""

import os
import subprocess

from job_rows import Row, rows_section, run_rows, ours

INTERLACED = ("1080i", "1920×1080 interlaced H.264 transport stream, 200 pictures (400 fields at 50 a second)",
              ["-f", "lavfi", "-i", "testsrc2=s=1920x1080:r=50,tinterlace=interleave_top,fieldorder=tff", "-frames:v", "200",
               "-c:v", "libx264", "-preset", "veryfast", "-x264-params", "interlaced=1:tff=1", "-f", "mpegts"], "ts")
ANAMORPHIC = ("anamorphic", "720×480 MPEG-2 of 16:9 display, 500 pictures",
              ["-f", "lavfi", "-i", "testsrc2=s=720x480:r=30000/1001", "-frames:v", "500", "-c:v", "mpeg2video", "-q:v", "3",
               "-aspect", "16:9", "-f", "mpeg"], "mpg")


def ensure_made(recipe, cache_dir, log):
    name, description, arguments, extension = recipe
    path = os.path.join(cache_dir, f"shaping_{name}.{extension}")
    if not os.path.exists(path):
        os.makedirs(cache_dir, exist_ok=True)
        log(f"making the {name} input ({description}) into {path}")
        subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-y", *arguments, "-fflags", "+bitexact", "-flags:v", "+bitexact",
                        path + ".part"], check=True)
        os.replace(path + ".part", path)
    return path


def ffmpeg_chain(video, out_dir, chain):
    return ["ffmpeg", "-nostdin", "-v", "error", "-i", video, "-map", "0:V:0", "-fps_mode", "passthrough", "-vf", chain,
            "-q:v", "3", os.path.join(out_dir, "still_%d.jpg")]


def run_shaping(cli, video_1080p, cache_dir, runs, work_dir, launcher, log):
    """The rows, each on its input; answers (title, results) pairs."""
    interlaced = ensure_made(INTERLACED, cache_dir, log)
    anamorphic = ensure_made(ANAMORPHIC, cache_dir, log)
    jobs = [
        (video_1080p, "1080p H.264 AVI", [
            Row("fit within 320", ["--size", "320x"], {
                "ffmpeg scale=320:-1": (lambda c, v, o: ffmpeg_chain(v, o, "scale=320:-1"), 0.5)}),
            Row("keep existing", ["--skip-existing"], {
                "converting it": (lambda c, v, o: ours(c, [], v, o + "-fresh"), 0.05)}, starts_full=True)]),
        (interlaced, INTERLACED[1], [
            Row("deinterlace", ["--deinterlace"], {
                "ffmpeg bwdif": (lambda c, v, o: ffmpeg_chain(v, o, "bwdif=mode=send_frame:parity=auto:deint=interlaced"), 0.8)})]),
        (anamorphic, ANAMORPHIC[1], [
            Row("square pixels", ["--square-pixels"], {
                "ffmpeg scale=trunc(iw*sar+0.5):ih": (lambda c, v, o: ffmpeg_chain(v, o, "scale='trunc(iw*sar+0.5)':ih"), 0.8)})]),
    ]
    os.makedirs(os.path.join(work_dir, "rows-fresh"), exist_ok=True)
    return [(title, run_rows(cli, video, rows, runs, work_dir, launcher, log, title)) for video, title, rows in jobs]


def shaping_sections(sections, runs):
    return "\n\n".join(rows_section(f"Pictures and names: {title}", results, runs,
                                    "Our stills are JPG at quality 85, ffmpeg's at -q:v 3. Keeping existing images runs "
                                    "on the folder the plain run filled, against that plain run into an empty folder.")
                       for title, results in sections)
