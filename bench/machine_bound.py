"""The shortest wall time this machine allows for a job, measured through our own frame source.

A helper of the benchmark (build/bench/frame_cost) decodes the video through the program's reader,
with the decoder threads a run gives it, and nothing else; then it makes each frame's file from
those pictures on one thread and counts that thread's CPU time. Decoding can overlap encoding at
best, and all the work shares the cores.

The machine's speed drifts from minute to minute (a shared host), so the helper runs in the same
rounds as the tools, and ours/bound is taken round by round: a bound measured minutes away from our
runs says little about them."""

import dataclasses
import json
import statistics
import subprocess


def bound_of(sample, cores):
    return max(sample["decode_wall_s"], (sample["decode_cpu_s"] + sample["encode_cpu_s"]) / cores)


@dataclasses.dataclass
class MachineBound:
    samples: list          # one helper run per round, in round order
    cores: int

    def median(self, key):
        return statistics.median(sample[key] for sample in self.samples)

    @property
    def decode_wall_s(self):   # decoding alone: one decoder cannot go faster
        return self.median("decode_wall_s")

    @property
    def decode_cpu_s(self):
        return self.median("decode_cpu_s")

    @property
    def encode_cpu_s(self):    # making every frame's file, measured on those frames
        return self.median("encode_cpu_s")

    @property
    def first_picture_s(self):  # decoding alone, from opening the file to its first picture
        return self.median("first_picture_s")

    def encode_per_core_s(self):
        return self.encode_cpu_s / self.cores

    def bound_s(self):
        return statistics.median(bound_of(sample, self.cores) for sample in self.samples)

    def ours_over_bound(self, ours_walls):
        """The median of our wall time over the bound of the same round."""
        pairs = list(zip(ours_walls, self.samples))
        return statistics.median(wall / bound_of(sample, self.cores) for wall, sample in pairs) if pairs else None


def bound_sample(helper, video, image_format, scratch):
    """One run of the helper, writing its files in `scratch` (where the tools write theirs)."""
    output = subprocess.run([helper, "--format", image_format, "--quality", "85", "--scratch", scratch, video],
                            check=True, capture_output=True, text=True).stdout
    return json.loads(output)
