#!/usr/bin/env bash
# The whole program against the sqlite3 shell on the same registers, in the same run, work by work:
# the list loaded in each order, the sort commands, saving, adding and deleting a case with the
# list refreshed, the phrase search for an absent phrase and Regeneruj, each beside its shell peer
# (ORDER BY, the statement alone, LIKE over the searched columns, VACUUM), taken in turn; and the
# start-up on the example register beside an empty Qt window with a menu. One table at the end.
#
# bench/compare.sh [N ...]       sizes to compare, 100000 and 1000000 when none are given; "huge"
#                                is seventeen cases and one subject of fifty megabytes, "huge4"
#                                the same with four such texts
# KOLVAR_BENCH_BUILD, KOLVAR_BENCH_DATA override the build folder and the folder of the registers;
# KOLVAR_BENCH_ONLY="sort command by subject;start-up" measures only the rows whose work begins so.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/settings.sh"

if ! command -v sqlite3 >/dev/null; then
  echo "installing sqlite3" >&2
  apt-get install -y sqlite3 >/dev/null
fi
if [ -z "${DISPLAY:-}" ] && ! command -v xvfb-run >/dev/null; then
  echo "installing xvfb" >&2
  apt-get install -y xvfb xauth >/dev/null
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVAR_BENCH=ON \
  -DKOLVAR_TESTS=OFF >/dev/null
cmake --build "$build" --target kolvar-gen kolvar-bench kolvar-emptywindow kolvar-emptywindow-linked kolvar_example >/dev/null
mkdir -p "$data"

for n in "${sizes[@]}"; do
  file="$data/kolvar-$n.db"
  if [ ! -f "$file" ]; then
    if [ "$n" = huge ]; then
      # Seventeen ordinary cases and one whose subject is fifty megabytes of text.
      "$build/bench/kolvar-gen" 17 "$file.part"
      sqlite3 "$file.part" "INSERT INTO kolvar(Termin, Nadawca, Dotyczy) SELECT '2024.05.06',
        'Nowak Jan', 'Skarga ' || replace(hex(zeroblob(6250000)), '00', 'wniosek ')"
    elif [ "$n" = huge4 ]; then
      # Four such texts: a sender, two subjects alike in their first fifty megabytes but the
      # last letter, and details.
      "$build/bench/kolvar-gen" 17 "$file.part"
      # The register's code page is Windows-1250: "Łąka " written as its bytes.
      sqlite3 "$file.part" "CREATE TEMP TABLE t AS SELECT replace(hex(zeroblob(6250000)), '00',
        'wniosek ') AS w; INSERT INTO kolvar(Termin, Nadawca, Dotyczy) SELECT '2024.05.06',
        CAST(X'A3B96B6120' AS TEXT) || w, 'Skarga' FROM t; INSERT INTO kolvar(Termin, Nadawca,
        Dotyczy) SELECT '2024.05.07', 'Nowak Jan', 'Skarga ' || w || 'b' FROM t; INSERT INTO
        kolvar(Termin, Nadawca, Dotyczy) SELECT '2024.05.08', 'Nowak Jan', 'Skarga ' || w || 'a'
        FROM t; INSERT INTO kolvar(Termin, Nadawca, Dotyczy, Szczegoly) SELECT '2024.05.09',
        'Kowal', 'Wniosek', w FROM t"
    else
      "$build/bench/kolvar-gen" "$n" "$file.part"
    fi
    mv "$file.part" "$file"
  fi
done

# The programs draw on a screen, a virtual one of their own unless one is given.
if [ -n "${DISPLAY:-}" ]; then
  python3 "$here/compare.py" "$build" "$data" "${sizes[@]}"
else
  xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" \
    python3 "$here/compare.py" "$build" "$data" "${sizes[@]}"
fi
