#!/usr/bin/env python3
"""The program against the sqlite3 shell, work by work, as the user waits for it.

compare.py BUILD DATA SIZE... prints one table: for each register size and each piece of work,
the program's time and its shell peer's, both as min and median of runs taken in turn (program,
shell, program, shell ...) so that both meet the same load of the machine, the ratio of the
medians, and the program's peak memory (VmHWM) against the register's size. Called by
compare.sh, which builds the programs and writes the registers first.
"""
import datetime
import os
import platform
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import time

ORDER_COLUMN = {2: "Termin", 3: "Nadawca", 4: "Dotyczy"}
ORDER_NAME = {2: "date", 3: "sender", 4: "subject"}
# The registers named so on the command line hold one subject of fifty megabytes, and four such
# texts (compare.sh).
HUGE = ("huge", "huge4")
# Phrases that are nowhere in a generated register, by how often the scan meets their first
# letter: everywhere, hardly ever, and a Polish one.
ABSENT = (("common first letter", "zolw xyzzy"), ("rare first letter", "qqq xyzzy"),
          ("Polish letters", "żółw xyzzy"))
SEARCHED = ["Termin", "Nadawca", "Dotyczy", "Tryb", "Odpowiedz", "Szczegoly"]


def run(cmd, env=None, capture=True):
    """Wall seconds, peak resident MB (ru_maxrss) and stdout of one process; the shell's rows go
    to /dev/null, as a user's terminal would not hold them either."""
    with tempfile.TemporaryFile() as out:
        start = time.perf_counter()
        proc = subprocess.Popen(cmd, stdout=out if capture else subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, env=env)
        _, status, usage = os.wait4(proc.pid, 0)
        seconds = time.perf_counter() - start
        proc.returncode = os.waitstatus_to_exitcode(status)
        out.seek(0)
        text = out.read().decode(errors="replace")
    if proc.returncode != 0:
        raise SystemExit(f"failed ({proc.returncode}): {' '.join(cmd)}\n{text}")
    return seconds, usage.ru_maxrss / 1024 * 1.048576, text


def phrase_near_the_end(path):
    """A phrase of the details of the last case of the list by sender (the alphabet ends with
    Ż, and rows of one sender stand by ID) that no other case holds: the search walks the whole
    list before it finds it."""
    db = sqlite3.connect(path)
    db.text_factory = bytes
    senders = [row[0] for row in db.execute(
        "SELECT DISTINCT Nadawca FROM kolvar WHERE substr(CAST(Nadawca AS BLOB), 1, 1) = X'AF'")]
    alphabet = "aąbcćdeęfghijklłmnńoópqrsśtuvwxyzźż"
    last = max(senders, key=lambda s: [alphabet.find(c) for c in s.decode("cp1250").lower()])
    (details,) = db.execute("SELECT Szczegoly FROM kolvar WHERE CAST(Nadawca AS BLOB) = ? AND "
                            "Szczegoly IS NOT NULL ORDER BY ID DESC LIMIT 1", (last,)).fetchone()
    columns = " OR ".join(f"instr(CAST({c} AS BLOB), ?) > 0" for c in SEARCHED)
    # Its sentences that hold numbers, longest first: a date or a telephone number is rare. A
    # million cases repeat every such sentence somewhere; two running sentences they do not.
    lines = [line.split(b". ") for line in details.split(b"\r\n")]
    sentences = [p for line in lines for p in line if any(chr(b).isdigit() for b in p)]
    pairs = [b". ".join(line[i:i + 2]) for line in lines for i in range(len(line) - 1)]
    for phrase in sorted(sentences, key=len, reverse=True) + sorted(pairs, key=len, reverse=True):
        (count,) = db.execute(f"SELECT count(*) FROM kolvar WHERE {columns}",
                              (phrase,) * len(SEARCHED)).fetchone()
        if count == 1:
            return phrase.decode("cp1250")
    raise SystemExit(f"no phrase of one case only in {path}")


def fields(text):
    words = text.split()
    return {words[i]: float(words[i + 1]) for i in range(0, len(words) - 1, 2)}


def print_heading(script):
    """What a table is to be read with: the command, when, on what, beside what other work."""
    load = os.getloadavg()
    settings = [f"{name}=\"{os.environ[name]}\""
                for name in ("KOLVAR_BENCH_ONLY", "KOLVAR_BENCH_SELF", "KOLVAR_BENCH_ROUNDS")
                if os.environ.get(name)]
    print(f"{script} {' '.join(sys.argv[3:])}"
          + (" with " + " ".join(settings) if settings else ""))
    print(f"{datetime.datetime.now(datetime.timezone.utc):%Y-%m-%d %H:%M} UTC, "
          f"{platform.node()}, {os.cpu_count()} processors, "
          f"load before {load[0]:.2f} {load[1]:.2f} {load[2]:.2f}", flush=True)


def main():
    build, data, sizes = sys.argv[1], sys.argv[2], sys.argv[3:]
    # On a display (compare.sh starts a virtual one) the programs draw for real, as the window
    # a user looks at does, and their figures include the drawing that reaches the screen.
    if os.environ.get("DISPLAY"):
        os.environ.setdefault("QT_QPA_PLATFORM", "xcb")
    bench = os.path.join(build, "bench", "kolvar-bench")
    empty = os.path.join(build, "bench", "kolvar-emptywindow")
    linked = os.path.join(build, "bench", "kolvar-emptywindow-linked")
    example = os.path.join(build, "app", "przyklad.db")
    rows = []
    print_heading("bench/compare.sh")
    # What the program's libraries alone take, shown and painted: the memory targets are set
    # over it.
    floor = statistics.median(run([linked], capture=False)[1] for _ in range(3))
    print(f"empty window of the program's libraries: peak {floor:.1f} MB", flush=True)
    # KOLVAR_BENCH_ONLY="sort command by subject;start-up" measures only the rows so named.
    only = [start for start in os.environ.get("KOLVAR_BENCH_ONLY", "").split(";") if start]

    def wanted(label):
        return not only or any(label.startswith(start) for start in only)

    def measure(label, size, kolvar, shell, runs, file_mb):
        """kolvar() and shell() each give (seconds, peak MB, extra text); run in turn."""
        if not wanted(label):
            return
        ours, theirs, peaks, notes = [], [], [], []
        for _ in range(runs):
            seconds, peak, note = kolvar()
            ours.append(seconds)
            peaks.append(peak)
            notes.append(note)
            theirs.append(shell()[0])
        rows.append((size, label, min(ours), statistics.median(ours), min(theirs),
                     statistics.median(theirs), min(peaks), statistics.median(peaks), file_mb,
                     notes[-1]))
        print(f"{size:>9} {label:<34} {statistics.median(ours):8.3f} s  "
              f"peer {statistics.median(theirs):8.3f} s  peak {statistics.median(peaks):8.1f} MB "
              f"{notes[-1]}", flush=True)

    def shell(path, sql):
        return lambda: run(["sqlite3", path, sql], capture=False)

    def whole(path, order):
        """The list's load as the user waits for it: from the exec to the list drawn, by the
        program's clock; the whole process, its ending included, in the note."""
        def go():
            env = dict(os.environ, KOLVAR_BENCH_SORT=str(order),
                       KOLVAR_BENCH_EXEC=repr(time.monotonic()))
            seconds, peak, text = run([bench, "load", path], env)
            return fields(text)["seconds"], peak, f"whole process {seconds:.3f} s"
        return go

    def command(path, order, name, note=None, phrase=None):
        env = dict(os.environ, KOLVAR_BENCH_SORT=str(order))
        if phrase is not None:
            env["KOLVAR_BENCH_PHRASE"] = phrase

        def go():
            _, peak, text = run([bench, name, path], env)
            f = fields(text)
            extra = f"cpu {f['cpu']:.3f} s" + (", " + note(f) if note else "")
            return f["seconds"], f["peak-after"], extra
        return go

    def huge_text(path, file_mb, cases):
        """A register of seventeen cases and texts of fifty megabytes: the loads, the sort
        commands and a search, which must not take the texts' size many times over."""
        for order in (2, 3, 4):
            column = ORDER_COLUMN[order]
            name = ORDER_NAME[order]
            measure(f"load, list by {name}", cases, whole(path, order),
                    shell(path, f"SELECT * FROM kolvar ORDER BY {column}"), 7, file_mb)
            start_order = 3 if order == 2 else 2
            measure(f"sort command by {name}", cases, command(path, start_order, f"sort{order}"),
                    shell(path, f"SELECT * FROM kolvar ORDER BY {column}"), 7, file_mb)
        phrase = ABSENT[0][1]
        like = " OR ".join(f"{c} LIKE '%{phrase}%'" for c in SEARCHED)
        measure(f"search, {ABSENT[0][0]}", cases, command(path, 3, "search", phrase=phrase),
                shell(path, f"SELECT count(*) FROM kolvar WHERE {like}"), 7, file_mb)

    for name in sizes:
        path = os.path.join(data, f"kolvar-{name}.db")
        file_mb = os.path.getsize(path) / 1e6
        if name in HUGE:
            with sqlite3.connect(path) as db:
                (cases,) = db.execute("SELECT count(*) FROM kolvar").fetchone()
            huge_text(path, file_mb, cases)
            continue
        size = int(name)
        runs = 5 if size >= 1000000 else 7
        middle = size // 2
        for order in (2, 3, 4):
            column = ORDER_COLUMN[order]
            name = ORDER_NAME[order]
            measure(f"load, list by {name}", size, whole(path, order),
                    shell(path, f"SELECT * FROM kolvar ORDER BY {column}"), runs, file_mb)
            start_order = 3 if order == 2 else 2
            measure(f"sort command by {name}", size, command(path, start_order, f"sort{order}"),
                    shell(path, f"SELECT * FROM kolvar ORDER BY {column}"), runs, file_mb)
            for work, sql in (("save", f"UPDATE kolvar SET Nadawca = 'Ćwik Łucja' WHERE ID = {middle}"),
                              ("add", "INSERT INTO kolvar(Nadawca) VALUES ('Ćwik Łucja')"),
                              ("delete", f"DELETE FROM kolvar WHERE ID = (SELECT max(ID) FROM kolvar)")):
                measure(f"{work} one case, by {name}", size, command(path, order, work),
                        shell(path, sql), runs, file_mb)
        near_the_end = (("found near the end", phrase_near_the_end(path)),) \
            if wanted("search, found near the end") else ()
        for what, phrase in ABSENT + near_the_end:
            like = " OR ".join(f"{c} LIKE '%{phrase}%'" for c in SEARCHED)
            measure(f"search, {what}", size, command(path, 3, "search", phrase=phrase),
                    shell(path, f"SELECT count(*) FROM kolvar WHERE {like}"), runs, file_mb)
        measure("Regeneruj", size,
                command(path, 3, "regen",
                        lambda f: f"extra {f['peak-after'] - f['peak-before']:.0f} MB during, "
                                  f"rss after {f['rss-after']:.0f} MB"),
                shell(path, "VACUUM"), min(runs, 3), file_mb)
    if os.path.exists(example) and os.path.exists(empty):
        # A user's program folder and its kolvar.ini are there before the program starts: the
        # folder is made by a first, untimed run.
        with tempfile.TemporaryDirectory() as folder:
            env = dict(os.environ, KOLVAR_BENCH_SORT="3", KOLVAR_BENCH_FOLDER=folder)
            run([bench, "load", example], env, capture=False)
            for label, peer in (("", empty), (", peer linked alike", linked)):
                measure("start-up, 35-case example" + label, 35,
                        lambda: run([bench, "load", example], env, capture=False)[:2] + ("",),
                        lambda peer=peer: run([peer], capture=False)[:2] + ("",), 10,
                        os.path.getsize(example) / 1e6)

    load = os.getloadavg()
    print(f"\nload after {load[0]:.2f} {load[1]:.2f} {load[2]:.2f}")
    print(f"{'cases':>9}  {'work':<34} {'kolvar min/median s':>21}  {'peer min/median s':>19}  "
          f"{'ratio':>5}  {'peak min/median MB':>18} {'x file':>6} {'over empty':>10}  note")
    # The peak against the file, whole and over the empty window, from the median.
    for size, label, omin, omed, tmin, tmed, pmin, pmed, file_mb, note in rows:
        print(f"{size:>9}  {label:<34} {omin:9.3f} {omed:9.3f}    {tmin:8.3f} {tmed:8.3f}  "
              f"{omed / tmed:5.2f}  {pmin:8.1f} {pmed:9.1f} {pmed / file_mb:6.2f} "
              f"{(pmed - floor) / file_mb:10.2f}  {note}")


if __name__ == "__main__":
    main()
