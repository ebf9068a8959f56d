"""Runs commands and measures them the way the benchmark compares tools.

A child's peak memory, as the kernel reports it, starts from the peak of the process that spawned
it: children spawned straight from the benchmark, which holds decoded 1080p frames, would all
report the benchmark's own size. So the commands are started by a small launcher process of their
own, which is this file run as a script (standard library only), and the benchmark talks to it
through a pipe, one JSON line per command each way.
"""

import dataclasses
import json
import os
import subprocess
import sys
import tempfile
import time


@dataclasses.dataclass
class Measurement:
    wall_s: float
    cpu_s: float      # user + system time of the child and the children it waited for
    peak_kib: int     # the child's peak resident set size


class ChildFailed(Exception):
    pass


class ChildLauncher:
    """The launcher process, for the length of a `with` block."""

    def __enter__(self):
        self._launcher = subprocess.Popen([sys.executable, "-I", "-S", os.path.abspath(__file__)],
                                          stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        return self

    def __exit__(self, *exception):
        self._launcher.stdin.close()
        self._launcher.wait()

    def run_timed(self, command):
        """Runs `command` to its end; raises ChildFailed with its error text when it exits non-zero."""
        self._launcher.stdin.write(json.dumps(command) + "\n")
        self._launcher.stdin.flush()
        reply = self._launcher.stdout.readline()
        if not reply:
            raise RuntimeError("the launcher process ended")
        outcome = json.loads(reply)
        if outcome["exit_code"] != 0:
            raise ChildFailed(f"{os.path.basename(command[0])} exited with {outcome['exit_code']}"
                              + (f": {outcome['errors']}" if outcome["errors"] else ""))
        return Measurement(outcome["wall_s"], outcome["cpu_s"], outcome["peak_kib"])


def measure(command):
    """Runs one command in the launcher. os.wait4 gives the resource use of exactly this child,
    unlike RUSAGE_CHILDREN, which sums every child so far."""
    with tempfile.TemporaryFile() as error_file:
        start = time.perf_counter()
        try:
            child = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=error_file)
        except OSError as error:
            return {"exit_code": 127, "errors": str(error), "wall_s": 0.0, "cpu_s": 0.0, "peak_kib": 0}
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        error_file.seek(0)
        errors = error_file.read().decode(errors="replace").strip()[-2000:]
    return {"exit_code": child.returncode, "errors": errors, "wall_s": wall,
            "cpu_s": usage.ru_utime + usage.ru_stime, "peak_kib": usage.ru_maxrss}


def serve():
    for line in sys.stdin:
        print(json.dumps(measure(json.loads(line))), flush=True)


if __name__ == "__main__":
    serve()
