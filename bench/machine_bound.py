"""The shortest wall time this machine allows for a job, measured through our own frame source.

A helper of the benchmark (build/bench/frame_cost) decodes the video through the program's reader,
with the decoder threads a run gives it, and nothing else; then it makes each frame's file from
those pictures on one thread and counts that thread's CPU time. Decoding can overlap encoding at
best, and all the work shares the cores."""

import dataclasses
import json
import statistics
import subprocess


@dataclasses.dataclass
class MachineBound:
    decode_wall_s: float   # decoding alone: one decoder cannot go faster
    decode_cpu_s: float
    encode_cpu_s: float    # making every frame's file, measured on those frames
    cores: int
    first_picture_s: float = 0.0  # decoding alone, from opening the file to its first picture

    def encode_per_core_s(self):
        return self.encode_cpu_s / self.cores

    def bound_s(self):
        return max(self.decode_wall_s, (self.decode_cpu_s + self.encode_cpu_s) / self.cores)


def measure_bound(helper, video, image_format, runs, cores):
    """Medians over `runs` runs of the helper."""
    samples = []
    for _ in range(runs):
        output = subprocess.run([helper, "--format", image_format, "--quality", "85", video],
                                check=True, capture_output=True, text=True).stdout
        samples.append(json.loads(output))

    def median(key):
        return statistics.median(sample[key] for sample in samples)
    return MachineBound(median("decode_wall_s"), median("decode_cpu_s"), median("encode_cpu_s"), cores,
                        median("first_picture_s"))
