"""Runs one command and measures it the way the benchmark compares tools."""

import dataclasses
import os
import subprocess
import tempfile
import time


@dataclasses.dataclass
class Measurement:
    wall_s: float
    cpu_s: float      # user + system time of the child and the children it waited for
    peak_kib: int     # the child's peak resident set size


class ChildFailed(Exception):
    pass


def run_timed(command):
    """Runs `command` to its end; raises ChildFailed with its error text when it exits non-zero.

    os.wait4 gives the resource use of exactly this child, unlike RUSAGE_CHILDREN, which would
    also count every earlier child of the benchmark itself."""
    with tempfile.TemporaryFile() as error_file:
        start = time.perf_counter()
        child = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                 stderr=error_file)
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        if child.returncode != 0:
            error_file.seek(0)
            text = error_file.read().decode(errors="replace").strip()[-2000:]
            raise ChildFailed(f"{os.path.basename(command[0])} exited with {child.returncode}"
                              + (f": {text}" if text else ""))
    return Measurement(wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss)
