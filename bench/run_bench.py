#!/usr/bin/python3
"""Times stillpress-cli against the ffmpeg command on the same jobs and prints markdown tables.

Debian's own python3 is named in the first line on purpose: it is the one that has PIL and numpy.
"""

import argparse
import json
import os
import subprocess
import sys

sys.dont_write_bytecode = True  # keep the source folder free of __pycache__

from batch_bench import batch_section, ensure_batch, run_batch  # noqa: E402
from bench_inputs import INPUTS, ensure_input, output_stem  # noqa: E402
from bench_report import InputReport, render_markdown, to_json_data  # noqa: E402
from frame_quality import ffmpeg_rgb  # noqa: E402
from machine_bound import MachineBound, bound_sample  # noqa: E402
from selection_bench import LONG, SHORT, ensure_selection_input, run_selection, selection_section  # noqa: E402
from shaping_bench import run_shaping, shaping_sections  # noqa: E402
from tool_comparison import Job, compare_format  # noqa: E402
from timed_child import ChildLauncher  # noqa: E402
from tool_jobs import FORMATS, TOOLS, file_format  # noqa: E402

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_CLI = os.path.join(REPO, "build", "cli", "stillpress-cli")
SMOKE_FRAMES = 20
SMOKE_FORMATS = ["bmp", "jpg"]
SMOKE_LEAST_PSNR_DB = 25.0


def log(text):
    print(text, file=sys.stderr, flush=True)


def name_list(choices):
    def parse(text):
        names = [name.strip() for name in text.split(",") if name.strip()]
        unknown = [name for name in names if name not in choices]
        if unknown or not names:
            raise argparse.ArgumentTypeError(f"choose from {', '.join(choices)}")
        return names
    return parse


def parse_options(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", help="stillpress-cli to time (default: build/cli/stillpress-cli, "
                                      "built with ./tools/setup.sh when missing)")
    parser.add_argument("--runs", type=int, default=5, help="runs of each tool per format (5)")
    parser.add_argument("--formats", type=name_list(FORMATS),
                        help="comma-separated formats (all: %s)" % ",".join(FORMATS))
    parser.add_argument("--inputs", type=name_list(list(INPUTS) + ["batch", "selection", "shaping"]),
                        default=["480p", "1080p", "batch"],
                        help="comma-separated inputs among %s, batch (200 short files), selection (which "
                             "frames, on a 3-minute 1080p MP4), shaping (sizes, deinterlacing, square pixels and "
                             "kept images at 1080p) (480p,1080p,batch)" % ", ".join(INPUTS))
    parser.add_argument("--long", action="store_true",
                        help="add the 3000-frame 1080p inputs (AVI and MP4) for the memory check, and with "
                             "selection a 20-minute MP4")
    parser.add_argument("--frames", type=int, help="frames of every input instead of its own count")
    parser.add_argument("--keep", action="store_true",
                        help="keep the first run's output folder of each tool")
    parser.add_argument("--json", metavar="FILE", help="also write every measurement as JSON")
    parser.add_argument("--cache", default="/tmp/stillpress-bench/inputs",
                        help="where the input videos are made and kept (%(default)s)")
    parser.add_argument("--work", default="/tmp/stillpress-bench/runs",
                        help="where the runs write their frames (%(default)s)")
    parser.add_argument("--smoke", action="store_true",
                        help=f"self-check: {SMOKE_FRAMES} frames, 1 run, {','.join(SMOKE_FORMATS)} "
                             "unless --formats says otherwise; fails on any implausible result")
    options = parser.parse_args(argv)
    if options.smoke:
        options.frames, options.runs = SMOKE_FRAMES, 1
        options.inputs = [name for name in options.inputs if name not in ("batch", "selection", "shaping")]
    options.formats = options.formats or (SMOKE_FORMATS if options.smoke else list(FORMATS))
    if options.long:
        options.inputs += [name for name in ("1080p-long", "1080p-mp4-long") if name not in options.inputs]
    if options.runs < 1 or (options.frames is not None and options.frames < 1):
        parser.error("--runs and --frames take a whole number of at least 1")
    return options


def resolve_cli(cli):
    if cli:
        if not os.access(cli, os.X_OK):
            sys.exit(f"run_bench: {cli} is not an executable program")
        return os.path.abspath(cli)
    if not os.access(DEFAULT_CLI, os.X_OK):
        log("building stillpress with ./tools/setup.sh")
        subprocess.run([os.path.join(REPO, "tools", "setup.sh")], check=True)
    return DEFAULT_CLI


def frame_cost_helper(cli):
    """The benchmark's helper, built beside stillpress-cli."""
    return os.path.join(os.path.dirname(os.path.dirname(cli)), "bench", "frame_cost")


def machine_description(cli):
    model = next((line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo")
                  if line.startswith("model name")), "unknown CPU")
    ffmpeg = subprocess.run(["ffmpeg", "-version"], capture_output=True, text=True).stdout
    return {"cpu": model, "ffmpeg": ffmpeg.splitlines()[0] if ffmpeg else "", "cli": cli}


def bench_input(options, cli, input_name, launcher):
    recipe = INPUTS[input_name]
    frames = options.frames or recipe.frames
    video = ensure_input(recipe, frames, options.cache, log)
    job = Job(cli=cli, video=video, stem=output_stem(video),
              reference=ffmpeg_rgb(video, recipe.width, recipe.height, recipe.filters), runs=options.runs,
              work_dir=os.path.join(options.work, input_name), keep=options.keep, log=log,
              launcher=launcher, filters=recipe.filters)
    results, bounds = {}, {}
    cores = len(os.sched_getaffinity(0))
    for image_format in options.formats:
        log(f"{input_name}: {image_format}, each round with the bound through our own reader and writer")
        bound = MachineBound([], cores)
        results[image_format] = compare_format(job, image_format, lambda: bound.samples.append(
            bound_sample(frame_cost_helper(cli), video, file_format(image_format), job.work_dir)))
        bounds[image_format] = bound
    return InputReport(input_name, recipe.describe(frames), results, bounds), frames


def smoke_problems(report, frames):
    """What makes a self-check run implausible. Faults of ffmpeg's own files are only listed
    with the tables: they say nothing about this script or our program."""
    found = []
    for image_format, results in report.results.items():
        for tool in TOOLS:
            result, where = results[tool], f"{report.name} {image_format} {tool}"
            if tool == "ours":
                found += [f"{where}: {problem}" for problem in result.problems]
            if not result.measurements:
                continue
            if result.frame_count != frames:
                found.append(f"{where}: {result.frame_count} files, the input has {frames} frames")
            # ffmpeg's plain GIF maps every frame to one fixed palette: its PSNR says nothing here.
            floor_applies = not (tool == "ffmpeg" and image_format == "gif-plain")
            if floor_applies and (result.psnr_db is None or result.psnr_db < SMOKE_LEAST_PSNR_DB):
                found.append(f"{where}: PSNR {result.psnr_db} dB")
            if any(m.wall_s <= 0 or m.cpu_s <= 0 or m.peak_kib <= 0 for m in result.measurements):
                found.append(f"{where}: a measurement is not positive")
        if not all(results[tool].measurements for tool in TOOLS):
            found.append(f"{report.name} {image_format}: a tool has no successful run")
    for image_format, bound in report.bounds.items():
        if not (bound.decode_wall_s > 0 and bound.decode_cpu_s > 0 and bound.encode_cpu_s > 0):
            found.append(f"{report.name} {image_format}: a bound measurement is not positive")
    return found


def main(argv):
    options = parse_options(argv)
    cli = resolve_cli(options.cli)
    cores = len(os.sched_getaffinity(0))
    load_before = os.getloadavg()[0]
    if load_before > cores / 2:
        log(f"warning: load average {load_before:.1f} on {cores} cores; other work will skew the times")
    reports, problems, batch, selections = [], [], None, []
    with ChildLauncher() as launcher:
        for input_name in options.inputs:
            if input_name == "batch":
                log("batch of small files")
                batch = run_batch(cli, ensure_batch(options.cache, log), options.runs, options.work, launcher, log)
                continue
            if input_name == "shaping":
                log("pictures and names")
                video = ensure_input(INPUTS["1080p"], INPUTS["1080p"].frames, options.cache, log)
                selections.append(shaping_sections(
                    run_shaping(cli, video, options.cache, options.runs, options.work, launcher, log), options.runs))
                continue
            if input_name == "selection":
                for recipe in (SHORT, LONG) if options.long else (SHORT,):
                    log(f"which frames: {recipe.name}")
                    video = ensure_selection_input(recipe, options.cache, log)
                    # The long input is there for the memory of one sparse job.
                    only = ["one every 7 s"] if recipe is LONG else None
                    selections.append(selection_section(
                        recipe, run_selection(cli, video, recipe, options.runs, options.work, launcher, log, only),
                        options.runs))
                continue
            report, frames = bench_input(options, cli, input_name, launcher)
            reports.append(report)
            if options.smoke:
                problems += smoke_problems(report, frames)
    load_averages = (load_before, os.getloadavg()[0])
    if reports:
        print(render_markdown(reports, options.runs, cores, load_averages), end="")
    if batch:
        print("\n" + batch_section(batch, options.runs))
    for section in selections:
        print("\n" + section)
    if options.json:
        machine = machine_description(cli) | {"load_averages": load_averages}
        with open(options.json, "w") as out:
            json.dump(to_json_data(reports, options.runs, cores, machine), out, indent=1,
                      allow_nan=False)
    if options.smoke:
        log("smoke check: " + ("passed" if not problems else "FAILED\n" + "\n".join(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
