"""Runs Orca with its debug log written line by line.

Orca opens its debug file with Python's default block buffering, so the last lines it speaks are
lost when it is stopped. Usage: orca_unbuffered.py LOG [ORCA-OPTIONS...].
"""

import builtins
import runpy
import sys

log = sys.argv[1]
real_open = builtins.open


def line_buffered_open(file, mode="r", buffering=-1, *args, **kwargs):
    if file == log and "w" in mode:
        buffering = 1
    return real_open(file, mode, buffering, *args, **kwargs)


builtins.open = line_buffered_open
sys.argv = ["orca", "--replace", "--debug-file", log] + sys.argv[2:]
runpy.run_path("/usr/bin/orca", run_name="__main__")
