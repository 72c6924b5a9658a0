#!/usr/bin/env bash
# The whole program against the sqlite3 shell on the same register, in the same run:
# "kolvar-bench load FILE" (start, the main window lists every case, end) timed by hyperfine next
# to `sqlite3 FILE "SELECT * FROM kolvar ORDER BY Nadawca" >/dev/null`, with the ratio of the
# means, and the program's peak memory against the file's size.
#
# bench/compare.sh [N ...]       sizes to compare, 100000 and 1000000 when none are given
# KOLVAR_BENCH_BUILD, KOLVAR_BENCH_DATA, KOLVAR_BENCH_RUNS override the build folder, the folder
# of the registers and the number of timed runs.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${KOLVAR_BENCH_BUILD:-$root/build-bench}
data=${KOLVAR_BENCH_DATA:-$here/data}
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000)
query="SELECT * FROM kolvar ORDER BY Nadawca"

for tool in hyperfine sqlite3; do
  if ! command -v "$tool" >/dev/null; then
    echo "installing $tool" >&2
    apt-get install -y "$tool" >/dev/null
  fi
done

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVAR_BENCH=ON \
  -DKOLVAR_TESTS=OFF >/dev/null
cmake --build "$build" --target kolvar-gen kolvar-bench >/dev/null
mkdir -p "$data"

summary=()
for n in "${sizes[@]}"; do
  file="$data/kolvar-$n.db"
  if [ ! -f "$file" ]; then
    "$build/bench/kolvar-gen" "$n" "$file.part"
    mv "$file.part" "$file"
  fi
  runs=${KOLVAR_BENCH_RUNS:-$([ "$n" -ge 1000000 ] && echo 5 || echo 10)}
  json=$(mktemp)
  hyperfine --warmup 1 --runs "$runs" --export-json "$json" \
    -n kolvar "$build/bench/kolvar-bench load '$file'" \
    -n sqlite3 "sqlite3 '$file' \"$query\" >/dev/null"
  peak=$(KOLVAR_BENCH_VERBOSE=1 "$build/bench/kolvar-bench" load "$file" 2>&1 |
    sed -n 's/.*peak \([0-9.]*\) MB.*/\1/p')
  bytes=$(stat -c %s "$file")
  summary+=("$(python3 - "$json" "$n" "$peak" "$bytes" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
kolvar, shell = results["kolvar"]["mean"], results["sqlite3"]["mean"]
n, peak, size = int(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4]) / 1e6
print(f"{n:>9}  kolvar {kolvar:7.3f} s  sqlite3 {shell:7.3f} s  ratio {kolvar / shell:5.2f}"
      f"   peak {peak:7.1f} MB  file {size:7.1f} MB  ratio {peak / size:5.2f}")
PY
)")
  rm -f "$json"
done

echo
echo "    cases  whole-process load (means)                       peak memory after the load"
printf '%s\n' "${summary[@]}"
