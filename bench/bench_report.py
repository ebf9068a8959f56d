"""The benchmark's results as markdown tables, ready to paste into a note, and as JSON."""

import dataclasses
import math

from throughput_targets import bound_aim, missed_targets, ratio
from tool_jobs import ffmpeg_command_text


@dataclasses.dataclass
class InputReport:
    name: str
    description: str
    results: dict                 # format -> {tool: ToolResult}
    bounds: dict                  # format -> MachineBound


def seconds(value):
    return "–" if value is None else f"{value:.2f}"


def megabytes(byte_count):
    return "–" if not byte_count else f"{byte_count / 1e6:.1f}"


def peak_megabytes(peak_kib):
    return "–" if peak_kib is None else f"{peak_kib * 1024 / 1e6:.0f}"


def ratio_text(value):
    return "–" if value is None else f"{value:.2f}"


def psnr_text(result):
    if result.psnr_db is None:
        return "–"
    text = "∞" if math.isinf(result.psnr_db) else f"{result.psnr_db:.1f}"
    return text + ("†" if result.psnr_decoder == "ffmpeg" else "")


def targets_text(misses):
    if misses is None:
        return "–"
    return "met" if not misses else "missed: " + "; ".join(misses)


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(row) + " |" for row in rows]
    return "\n".join(lines)


def input_section(report, runs, cores):
    header = ["format", "files ours / ffmpeg", "wall s ours", "wall s ffmpeg", "wall ours/ffmpeg",
              "CPU s ours", "CPU s ffmpeg", "peak MB ours", "peak MB ffmpeg", "size MB ours",
              "size MB ffmpeg", "size ours/ffmpeg", "PSNR dB ours", "PSNR dB ffmpeg", "targets"]
    rows, problems = [], []
    for image_format, results in report.results.items():
        ours, theirs = results["ours"], results["ffmpeg"]
        misses = missed_targets(report.name, image_format, ours, theirs)
        rows.append([image_format, f"{ours.frame_count} / {theirs.frame_count}",
                     seconds(ours.median_wall()), seconds(theirs.median_wall()),
                     ratio_text(ratio(ours.median_wall(), theirs.median_wall())),
                     seconds(ours.median_cpu()), seconds(theirs.median_cpu()),
                     peak_megabytes(ours.peak_kib()), peak_megabytes(theirs.peak_kib()),
                     megabytes(ours.total_bytes), megabytes(theirs.total_bytes),
                     ratio_text(ratio(ours.total_bytes, theirs.total_bytes)),
                     psnr_text(ours), psnr_text(theirs), targets_text(misses)])
        for tool, result in results.items():
            problems += [f"- {image_format}, {tool}: {problem}" for problem in result.problems]
    title = f"### {report.name}: {report.description} ({runs} run{'s' if runs > 1 else ''} of each tool)"
    commands = ["ffmpeg's command per row:", ""] + [f"- {image_format}: `{ffmpeg_command_text(image_format)}`"
                                                  for image_format in report.results]
    return "\n".join([title, "", table(header, rows), ""] + commands + ([""] + problems if problems else []))


def bound_section(reports, cores):
    header = ["input", "format", "decode-only wall s", "decode-only CPU s", "encode CPU s",
              f"encode CPU / {cores} cores s", "bound s", "first picture s", "wall s ours", "ours / bound"]
    rows = []
    for report in reports:
        for image_format, bound in report.bounds.items():
            ours = report.results[image_format]["ours"]
            over = bound.ours_over_bound([m.wall_s for m in ours.measurements])
            rows.append([report.name, image_format, seconds(bound.decode_wall_s),
                         seconds(bound.decode_cpu_s), seconds(bound.encode_cpu_s),
                         seconds(bound.encode_per_core_s()), seconds(bound.bound_s()),
                         seconds(bound.first_picture_s), seconds(ours.median_wall()),
                         ratio_text(over) + (" (aim ≤ %.2f)" % bound_aim(report.name)
                                             if over and over > bound_aim(report.name) else "")])
    note = ("The bound takes decoding and encoding to overlap from the start. No encoder can start before the "
            "first picture comes out, and decoding alone does not keep every core busy until then (first "
            "picture s); the start of the program is not in the bound either.")
    return "\n".join([f"### The bound this machine allows ({cores} cores)", "", table(header, rows), "", note])


def memory_section(reports):
    """Our peak memory on the short and the long 1080p input side by side."""
    by_name = {report.name: report for report in reports}
    if "1080p" not in by_name or "1080p-long" not in by_name:
        return None
    short, long = by_name["1080p"], by_name["1080p-long"]
    rows = [[image_format,
             peak_megabytes(short.results[image_format]["ours"].peak_kib()),
             peak_megabytes(long.results[image_format]["ours"].peak_kib())]
            for image_format in short.results if image_format in long.results]
    header = ["format", f"peak MB ours, {short.description}", f"peak MB ours, {long.description}"]
    return "\n".join(["### Peak memory against the video's length", "", table(header, rows)])


NOTES = ("Wall and CPU times are medians; CPU is user + system time of the process; peak is the "
         "largest resident set of any run; MB are 10⁶ bytes. PSNR is frame 0 of the output, decoded "
         "by PIL (or by ffmpeg where marked †), against frame 0 of the source decoded by ffmpeg to "
         "RGB. Ratio targets apply to every input, peak memory to the 1080p inputs. "
         "Bound = max(decode-only wall time, (decode-only CPU + encode CPU) / cores), both measured "
         "by build/bench/frame_cost through our own reader and writers: decoding alone with a run's "
         "decoder threads, then every frame's file made from those pictures on one thread; it runs in "
         "each round beside the tools, and ours / bound is the median over the rounds of our wall time "
         "over the bound of the same round.")


def render_markdown(reports, runs, cores, load_averages):
    sections = [input_section(report, runs, cores) for report in reports]
    sections.append(bound_section(reports, cores))
    sections.append(memory_section(reports))
    sections.append(NOTES + " Load average (1 min) before and after the runs: "
                    + " and ".join(f"{load:.1f}" for load in load_averages) + ".")
    return "\n\n".join(section for section in sections if section) + "\n"


def finite_or_none(value):
    """JSON has no infinity: a lossless PSNR is written as null."""
    if isinstance(value, float) and not math.isfinite(value):
        return None
    if isinstance(value, dict):
        return {key: finite_or_none(item) for key, item in value.items()}
    if isinstance(value, list):
        return [finite_or_none(item) for item in value]
    return value


def to_json_data(reports, runs, cores, machine):
    return finite_or_none({"runs": runs, "cores": cores, "machine": machine,
                           "inputs": [dataclasses.asdict(report) for report in reports]})
