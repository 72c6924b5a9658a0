#!/usr/bin/env python3
"""The real window timed from outside against kolvar-bench's own clock, work by work.

window.py BUILD DATA SIZE... runs, on the X display named by DISPLAY, the program itself
(BUILD/app/kolvar) under kolvar-window, which sends the keys through XTest and sees the drawing
through XDamage, and kolvar-bench on the same display for the same work on the same register,
in turn (window, harness, harness, window, window ...). It prints one table: for each piece of
work the window's and the harness's min and median, the ratio and the difference of the
medians, and the peaks of both (VmHWM). Called by window.sh, which builds the programs and
starts the display.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import compare

# Each start comes this long after the process before it ended, as this machine's host has begun
# to take that process's memory back: a start right after it was up to 0.7 s quicker.
START_PAUSE = 1.5


# Ratio and difference of the medians, then of the minima: on a machine shared with other work
# the minima are the two clocks' nearest to the work alone.
HEADING = (f"{'cases':>9}  {'work':<34} {'window min/median s':>21}  "
           f"{'harness min/median s':>21}  {'ratio':>5} {'diff ms':>7}  {'min ratio':>9} "
           f"{'diff ms':>7}  {'peak MB window':>14} {'harness':>8}")


def row(size, label, wmin, wmed, hmin, hmed, wpeak, hpeak):
    return (f"{size:>9}  {label:<34} {wmin:10.4f} {wmed:10.4f}  {hmin:10.4f} {hmed:10.4f}  "
            f"{wmed / hmed:5.2f} {(wmed - hmed) * 1000:7.1f}  {wmin / hmin:9.2f} "
            f"{(wmin - hmin) * 1000:7.1f}  {wpeak:14.1f} {hpeak:8.1f}")


def main():
    build, data, sizes = sys.argv[1], sys.argv[2], sys.argv[3:]
    bench = os.path.join(build, "bench", "kolvar-bench")
    window = os.path.join(build, "bench", "kolvar-window")
    program = os.path.join(build, "app", "kolvar")
    only = [start for start in os.environ.get("KOLVAR_BENCH_ONLY", "").split(";") if start]
    compare.print_heading("bench/window.sh")
    print(HEADING, flush=True)
    rows = []

    def wanted(label):
        return not only or any(label.startswith(start) for start in only)

    def record(size, label, ours, theirs, peaks):
        """One row of the table from both sides' seconds and the peaks' medians."""
        rows.append((size, label, min(ours), statistics.median(ours), min(theirs),
                     statistics.median(theirs), *peaks))
        print(row(*rows[-1]), flush=True)

    def measure(label, size, outside, inside, runs, pause=0.0):
        if not wanted(label):
            return

        def after_pause(go):
            time.sleep(pause)
            return go()
        ours, theirs = [], []
        # Which goes first changes every round. On a virtual machine whose host takes back the
        # memory a process frees, a start of a million cases was 0.6 s slower every other
        # process (the kernel zeroing pages the host must give again): in a fixed order one side
        # met every slow start.
        for round in range(runs):
            if round % 2:
                theirs.append(after_pause(inside))
                ours.append(after_pause(outside))
            else:
                ours.append(after_pause(outside))
                theirs.append(after_pause(inside))
        record(size, label, [s for s, _ in ours], [s for s, _ in theirs],
               [statistics.median(p for _, p in side) for side in (ours, theirs)])

    def in_window(folder, command, phrase=None):
        """The program in folder under kolvar-window: (seconds, peak MB)."""
        def go():
            cmd = [window, os.path.join(folder, "kolvar"), command]
            out = subprocess.run(cmd + ([phrase] if phrase is not None else []), check=True,
                                 capture_output=True, text=True).stdout
            f = compare.fields(out)
            return f["start" if command == "load" else "seconds"], f["peak"]
        return go

    # KOLVAR_BENCH_SELF=1 sets the window against itself, for how far two runs of one clock
    # differ on this machine.
    against_itself = os.environ.get("KOLVAR_BENCH_SELF") == "1"

    def in_harness(folder, path, order, command, phrase=None):
        """kolvar-bench on the same display, folder and register: (seconds, peak MB)."""
        if against_itself:
            return in_window(folder, command, phrase)

        def go():
            env = dict(os.environ, QT_QPA_PLATFORM="xcb", KOLVAR_BENCH_SORT=str(order),
                       KOLVAR_BENCH_FOLDER=folder)
            if phrase is not None:
                env["KOLVAR_BENCH_PHRASE"] = phrase
            if command == "load":
                # Its clock starts with the exec, as the window's does; the ending is no wait.
                env["KOLVAR_BENCH_EXEC"] = repr(time.monotonic())
            _, peak, text = compare.run([bench, command, path], env)
            f = compare.fields(text)
            return f["seconds"], f.get("peak-after", peak)
        return go

    def one_process(label, size, folder, path, order, runs):
        """kolvar-bench's start timed by both clocks at once: kolvar-window starts it (through a
        script naming its command) and gives it the moment of its exec, kolvar-bench times its
        start from that moment. Two processes differ by what the machine gives them; one
        process timed twice differs only by the clocks."""
        if not wanted(label):
            return
        script = os.path.join(folder, "harness.sh")
        with open(script, "w") as out:
            out.write(f"#!/bin/sh\nexec env QT_QPA_PLATFORM=xcb KOLVAR_BENCH_LINGER=1000 "
                      f"KOLVAR_BENCH_SORT={order} KOLVAR_BENCH_FOLDER='{folder}' '{bench}' load "
                      f"'{path}'\n")
        os.chmod(script, 0o755)
        ours, theirs, peaks = [], [], []
        for _ in range(runs):
            time.sleep(START_PAUSE)
            words = subprocess.run([window, script, "load"], check=True, capture_output=True,
                                   text=True).stdout.split()
            theirs.append(float(words[words.index("seconds") + 1]))
            ours.append(float(words[words.index("start") + 1]))
            peaks.append(float(words[words.index("peak") + 1]))
        record(size, label, ours, theirs, [statistics.median(peaks)] * 2)

    with tempfile.TemporaryDirectory(dir=data, prefix=".window-") as work:
        for name in sizes:
            size = int(name)
            # KOLVAR_BENCH_ROUNDS=N takes N rounds (even) instead.
            runs = int(os.environ.get("KOLVAR_BENCH_ROUNDS", 6 if size >= 1000000 else 8))
            # The saves, adds and deletes write: a copy of the register takes them.
            original = os.path.join(data, f"kolvar-{size}.db")
            path = os.path.join(work, f"kolvar-{size}.db")
            subprocess.run(["cp", "--reflink=auto", original, path], check=True)
            folders = {}
            for order in (2, 3, 4):
                # A program folder as a user's is: the program, and kolvar.ini naming the
                # register and the order, made by a first untimed run.
                folder = folders[order] = os.path.join(work, f"program-{size}-{order}")
                os.mkdir(folder)
                shutil.copy2(program, folder)
                env = dict(os.environ, KOLVAR_BENCH_SORT=str(order), KOLVAR_BENCH_FOLDER=folder)
                compare.run([bench, "load", path], env, capture=False)
            # Before any case is written: the phrase is one case's only in the register as
            # generated.
            near_the_end = (("found near the end", compare.phrase_near_the_end(original)),) \
                if not only or any("search, found near the end".startswith(s) for s in only) \
                else ()
            for what, phrase in compare.ABSENT + near_the_end:
                measure(f"search, {what}", size, in_window(folders[3], "search", phrase),
                        in_harness(folders[3], path, 3, "search", phrase), runs)
            for order in (2, 3, 4):
                what = compare.ORDER_NAME[order]
                start = 3 if order == 2 else 2
                measure(f"load, list by {what}", size, in_window(folders[order], "load"),
                        in_harness(folders[order], path, order, "load"), runs,
                        pause=START_PAUSE)
                one_process(f"load by {what}, one process", size, folders[order], path, order,
                            runs)
                measure(f"sort command by {what}", size,
                        in_window(folders[start], f"sort{order}"),
                        in_harness(folders[start], path, start, f"sort{order}"), runs)
                for work_name in ("save", "add", "delete"):
                    measure(f"{work_name} one case, by {what}", size,
                            in_window(folders[order], work_name),
                            in_harness(folders[order], path, order, work_name), runs)
    load = os.getloadavg()
    print(f"\nload after {load[0]:.2f} {load[1]:.2f} {load[2]:.2f}")
    print(HEADING)
    for r in rows:
        print(row(*r))


if __name__ == "__main__":
    main()
