"""The shortest wall time this machine allows for a job, from its decode and encode costs."""

import dataclasses


@dataclasses.dataclass
class MachineBound:
    decode_wall_s: float   # decoding alone: one decoder cannot go faster
    decode_cpu_s: float
    encode_cpu_s: float    # everything but decoding, estimated as our CPU time minus decode CPU
    cores: int

    def encode_per_core_s(self):
        return self.encode_cpu_s / self.cores

    def bound_s(self):
        """Decoding overlaps encoding at best, and all the work shares the cores."""
        return max(self.decode_wall_s, (self.decode_cpu_s + self.encode_cpu_s) / self.cores)


def machine_bound(decode, ours, cores):
    """None when our program has no run to estimate the encoding from."""
    ours_cpu = ours.median_cpu()
    if ours_cpu is None:
        return None
    return MachineBound(decode.median_wall_s, decode.median_cpu_s,
                        max(0.0, ours_cpu - decode.median_cpu_s), cores)
