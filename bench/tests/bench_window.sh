#!/usr/bin/env bash
# bench_window.sh KOLVAR_GEN KOLVAR_BENCH KOLVAR_WINDOW KOLVAR: the outside timing drives the real
# program on a small register under a virtual screen: its keys reach the window (a sort command
# repaints, a search types Polish letters and meets the box or finds the case, a save and a delete
# change the register as a user's would), and kolvar-bench's load tells its own start. A harness
# whose keys go nowhere is found here, not an hour into a long run.
set -euo pipefail
gen=$1
bench=$2
window=$3
program=$4
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

fail() {
  echo "bench_window: $*" >&2
  exit 1
}

"$gen" 300 "$dir/r.db" >/dev/null
mkdir "$dir/program"
cp "$program" "$dir/program/kolvar"
KOLVAR_BENCH_SORT=3 KOLVAR_BENCH_FOLDER="$dir/program" QT_QPA_PLATFORM=offscreen \
  "$bench" load "$dir/r.db"
cases() {
  sqlite3 "$dir/r.db" "SELECT count(*) FROM kolvar WHERE ${1:-1}"
}

export QT_QPA_PLATFORM=xcb
drive() {
  "$window" "$dir/program/kolvar" "$@" || fail "$*"
}
# start S seconds C peak P boxes B, each wait over nothing.
[[ $(drive sort4) =~ ^start\ 0\.[0-9]*[1-9][0-9]*\ seconds\ 0\.[0-9]*[1-9] ]] \
  || fail "sort4 timed no drawing"
[[ $(drive search "żółw xyzzy") == *"boxes 1" ]] || fail "the absent phrase showed no box"
[[ $(drive search "księdze wieczystej") == *"boxes 0" ]] || fail "the phrase there was not found"

# The sender typed in the editor reaches the register in its code page, "Ćwik Łucja".
drive save >/dev/null
[[ $(cases "CAST(Nadawca AS BLOB) = X'C677696B20A375636A61'") == 1 ]] \
  || fail "the save stored no Ćwik Łucja"
drive delete >/dev/null
[[ $(cases) == 299 ]] || fail "the delete left $(cases) cases"

[[ $(KOLVAR_BENCH_EXEC=0 "$bench" load "$dir/r.db") =~ ^seconds\ [0-9.]+$ ]] \
  || fail "kolvar-bench load told no start"
echo "bench_window: the window took every key"
