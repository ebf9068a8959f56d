"""Rows of jobs beyond every frame: our command against the commands it is measured with, run in turn."""

import dataclasses
import os
import statistics

from tool_comparison import fresh_folder


@dataclasses.dataclass
class Row:
    job: str
    ours: list            # our command's arguments after the program, before --output
    theirs: dict          # name -> (command builder taking (cli, video, out_dir), target ratio or None)
    # The output folder is emptied before each run unless the job is to find it full: then it is
    # filled once, by our plain command, before the first run.
    starts_full: bool = False


@dataclasses.dataclass
class RowResult:
    row: Row
    ours_wall_s: float
    ours_peak_kib: int
    theirs_wall_s: dict
    files: int


def ours(cli, arguments, video, out_dir):
    return [cli, *arguments, "--format", "jpg", "--quality", "85", "--output", out_dir, video]


def run_rows(cli, video, rows, runs, work_dir, launcher, log, label):
    """Median wall times of `runs` alternating runs of each row."""
    results = []
    for row in rows:
        out_dir = os.path.join(work_dir, "rows")
        commands = {"ours": ours(cli, row.ours, video, out_dir)}
        commands.update({name: build(cli, video, out_dir) for name, (build, _) in row.theirs.items()})
        if row.starts_full:
            fresh_folder(out_dir)
            launcher.run_timed(ours(cli, [], video, out_dir))
        walls = {name: [] for name in commands}
        peak = 0
        files = 0
        for run in range(runs):
            for name in (list(commands) if run % 2 == 0 else list(commands)[::-1]):
                if not row.starts_full:
                    fresh_folder(out_dir)
                os.sync()
                measurement = launcher.run_timed(commands[name])
                walls[name].append(measurement.wall_s)
                if name == "ours":
                    peak = max(peak, measurement.peak_kib)
                    files = len(os.listdir(out_dir))
                log(f"  {label} {row.job}, {name} run {run + 1}/{runs}: {measurement.wall_s:.2f} s")
        results.append(RowResult(row, statistics.median(walls["ours"]), peak,
                                 {name: statistics.median(walls[name]) for name in row.theirs}, files))
    return results


def rows_section(title, results, runs, note):
    header = ["job", "files ours", "wall s ours", "peak MB ours", "against", "wall s theirs", "ours / theirs", "target"]
    lines = [f"### {title} ({runs} runs of each)", "", "| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    for result in results:
        for name, (_, target) in result.row.theirs.items():
            ratio = result.ours_wall_s / result.theirs_wall_s[name]
            verdict = "" if target is None else (f"≤ {target}: met" if ratio <= target else f"≤ {target}: missed")
            lines.append("| " + " | ".join([
                f"`{' '.join(result.row.ours)}`", str(result.files), f"{result.ours_wall_s:.2f}",
                f"{result.ours_peak_kib * 1024 / 1e6:.0f}", name, f"{result.theirs_wall_s[name]:.2f}", f"{ratio:.2f}",
                verdict]) + " |")
    return "\n".join(lines + ["", note])
