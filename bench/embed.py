"""One round of bench/embed.sh in Python: CALLS calls of primary_mac.get(),
then SPAWNS runs of PROGRAM through subprocess, reading its answer, as a
Python licence check would do either. Prints for each way a line
"Python<TAB>way<TAB>nanoseconds per answer", after checking that both ways
give the same answer.

    embed.py CALLS SPAWNS PROGRAM
"""

import subprocess
import sys
import time

import primary_mac


def per_answer(times, answer, expected):
    """Nanoseconds per call of `answer`, each of which must give `expected`."""
    start = time.perf_counter_ns()
    for _ in range(times):
        if answer() != expected:
            sys.exit(f"embed.py: another answer than {expected!r}")
    return (time.perf_counter_ns() - start) // times


def call():
    return primary_mac.get() or ""


def spawn():
    return subprocess.run([program], capture_output=True, check=True, text=True).stdout


calls, spawns, program = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
expected = call()
print(f"Python\t`primary_mac.get()`\t{per_answer(calls, call, expected)}")
print(f"Python\t`subprocess.run()` of `{program}`, read its output\t{per_answer(spawns, spawn, expected)}")
