#!/usr/bin/env bash
# One case of fifty megabytes in Dotyczy and fifty in Szczegoly, among a thousand generated
# cases: F2 on that case (from another case shown in the editor), saving it with a changed
# sender, the three sort commands and a search for an absent phrase, each run RUNS times (3 by
# default), printed as kolvar-bench prints them with the load average before each run. The texts
# are a code without a blank, the hardest case for the editor's line breaking.
#
# bench/longtext.sh               KOLVAR_BENCH_BUILD, KOLVAR_BENCH_DATA as for compare.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/settings.sh"
runs=${RUNS:-3}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVAR_BENCH=ON \
  -DKOLVAR_TESTS=OFF >/dev/null
cmake --build "$build" --target kolvar-gen kolvar-bench >/dev/null
mkdir -p "$data"
file="$data/kolvar-longtext.db"
if [ ! -f "$file" ]; then
  "$build/bench/kolvar-gen" 1000 "$file.part" >/dev/null 2>&1
  # 3,276,800 pairs of hex digits, each made sixteen: 50 MB, the same on every run.
  sqlite3 "$file.part" "UPDATE kolvar SET
    Dotyczy = 'Wniosek ' || replace(hex(zeroblob(3276800)), '00', '0123456789ABCDEF'),
    Szczegoly = 'Opis ' || replace(hex(zeroblob(3276800)), '00', 'FEDCBA9876543210')
    WHERE ID = 500"
  mv "$file.part" "$file"
fi

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
echo "bench/longtext.sh, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) processors, $QT_QPA_PLATFORM"
for command in edit save sort2 sort3 sort4 search; do
  for ((i = 0; i < runs; ++i)); do
    load=$(cut -d' ' -f1-3 /proc/loadavg)
    out=$(KOLVAR_BENCH_CASE=500 KOLVAR_BENCH_PHRASE="zolw xyzzy" "$build/bench/kolvar-bench" \
      "$command" "$file")
    printf '%-7s load %s  %s\n' "$command" "$load" "$out"
  done
done
