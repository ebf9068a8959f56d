"""Runs our program and the ffmpeg command on one job, alternately, and keeps what they did."""

import dataclasses
import os
import shutil
import statistics

from frame_quality import image_rgb, psnr
from timed_child import ChildFailed
from tool_jobs import TOOLS, Outputs, file_format, tool_command


@dataclasses.dataclass
class Job:
    """One input video and how to run the tools on it."""
    cli: str
    video: str
    stem: str
    reference: object   # the source's frame 0 as an rgb24 array
    runs: int
    work_dir: str       # fresh run folders are made under here
    keep: bool
    log: object
    launcher: object    # the ChildLauncher that runs and measures the tools
    filters: str = ""   # the filter chain ffmpeg runs to make the same stills


@dataclasses.dataclass
class ToolResult:
    measurements: list = dataclasses.field(default_factory=list)
    frame_count: int = 0
    total_bytes: int = 0
    psnr_db: float = None
    psnr_decoder: str = ""
    problems: list = dataclasses.field(default_factory=list)
    stopped: bool = False   # a run failed, so the tool is not run again on this format

    def median_wall(self):
        return statistics.median(m.wall_s for m in self.measurements) if self.measurements else None

    def median_cpu(self):
        return statistics.median(m.cpu_s for m in self.measurements) if self.measurements else None

    def peak_kib(self):
        return max((m.peak_kib for m in self.measurements), default=None)


def fresh_folder(path):
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)


def record_outputs(result, outputs, job, image_format, out_dir, first_run):
    """The first run sets count, size and PSNR, and its last frame must be a readable image too;
    later runs must write the same number of frames."""
    count = len(outputs.frame_numbers)
    for problem in outputs.problems():
        if problem not in result.problems:
            result.problems.append(problem)
    if not first_run:
        if count != result.frame_count:
            result.problems.append(f"wrote {count} frames, the first run {result.frame_count}")
        return
    result.frame_count = count
    result.total_bytes = outputs.total_bytes
    if 0 not in outputs.frame_numbers:
        result.problems.append("no frame 0 to compare with the source")
        return
    height, width = job.reference.shape[:2]
    frame_path = os.path.join(out_dir, f"{job.stem}_%d.{file_format(image_format)}")
    try:
        picture, result.psnr_decoder = image_rgb(frame_path % 0, width, height)
        result.psnr_db = psnr(job.reference, picture)
    except (OSError, ValueError) as error:
        result.problems.append(f"frame 0 unreadable: {error}")
    try:
        image_rgb(frame_path % (count - 1), width, height)
    except (OSError, ValueError) as error:
        result.problems.append(f"last frame unreadable: {error}")


def compare_format(job, image_format, each_round=None):
    """Both tools `job.runs` times each, alternately, each run into a fresh folder. The tool that
    goes first swaps every round, so neither always runs on the warmer machine. `each_round`, if
    given, is called at the end of every round."""
    results = {tool: ToolResult() for tool in TOOLS}
    for run in range(job.runs):
        for tool in (TOOLS if run % 2 == 0 else TOOLS[::-1]):
            result = results[tool]
            if result.stopped:
                continue
            out_dir = os.path.join(job.work_dir, image_format, f"{tool}-{run + 1}")
            fresh_folder(out_dir)
            # Start every run with no dirty pages left by the one before it.
            os.sync()
            try:
                measurement = job.launcher.run_timed(tool_command(tool, job.cli, job.video, out_dir, job.stem,
                                                     image_format, job.filters))
                result.measurements.append(measurement)
                record_outputs(result, Outputs(out_dir, job.stem, file_format(image_format)), job, image_format,
                               out_dir, run == 0)
                job.log(f"  {image_format} {tool} run {run + 1}/{job.runs}: {measurement.wall_s:.2f} s")
            except ChildFailed as failure:
                result.problems.append(str(failure))
                result.stopped = True
                job.log(f"  {image_format} {tool} run {run + 1}/{job.runs}: {failure}")
            finally:
                if not (job.keep and run == 0):
                    shutil.rmtree(out_dir, ignore_errors=True)
        if each_round:
            each_round()
    ours, theirs = results["ours"], results["ffmpeg"]
    if ours.measurements and theirs.measurements and ours.frame_count != theirs.frame_count:
        ours.problems.append(f"{ours.frame_count} files, ffmpeg {theirs.frame_count}")
    return results
