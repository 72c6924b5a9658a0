#!/usr/bin/env bash
# The program's real window timed from outside (keys through XTest, the drawing seen through
# XDamage, VmHWM from /proc) against kolvar-bench's own clock on the same display, register and
# program folder, taken in turn: the loads, the sort commands, saving, adding and deleting a case
# and the phrase searches. One table at the end.
#
# bench/window.sh [N ...]        sizes to compare, 100000 and 1000000 when none are given
# KOLVAR_BENCH_BUILD, KOLVAR_BENCH_DATA override the build folder and the folder of the registers;
# KOLVAR_BENCH_ONLY="sort command;load" measures only the rows whose work begins so.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/settings.sh"

# kolvar-window is built only where the X libraries' development files are.
source "$root/scripts/deps.sh"
kolvar_install_deps "${kolvar_window_packages[@]}" >&2

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVAR_BENCH=ON \
  -DKOLVAR_TESTS=OFF >/dev/null
cmake --build "$build" --target kolvar kolvar-gen kolvar-bench kolvar-window >/dev/null
mkdir -p "$data"
for n in "${sizes[@]}"; do
  if [ ! -f "$data/kolvar-$n.db" ]; then
    "$build/bench/kolvar-gen" "$n" "$data/kolvar-$n.db.part"
    mv "$data/kolvar-$n.db.part" "$data/kolvar-$n.db"
  fi
done

# A screen of its own, as large as the issue's tester's; no window manager, so nothing else
# draws or takes the keys.
xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" \
  python3 "$here/window.py" "$build" "$data" "${sizes[@]}"
