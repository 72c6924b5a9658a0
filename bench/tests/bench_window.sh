#!/usr/bin/env bash
# bench_window.sh KOLVAR_GEN KOLVAR_BENCH KOLVAR_WINDOW KOLVAR STAND_IN: the outside timing drives
# the real program on a small register under a virtual screen: its keys reach the window (a sort
# command repaints, a search types Polish letters and meets the box or finds the case, a save and
# a delete change the register as a user's would), and kolvar-bench's load tells its own start.
# A harness whose keys go nowhere is found here, not an hour into a long run. Then its rules, on a
# stand-in window whose drawings come at known times.
set -euo pipefail
gen=$1
bench=$2
window=$3
program=$4
stand_in=$5
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
# kolvar-bench reads a box before its Enter, as a user would: that is not the save's. The reading
# is made two seconds long here, so that a machine busy with other work cannot pass for it.
out=$(KOLVAR_BENCH_REST_MS=2000 KOLVAR_BENCH_FOLDER="$dir/program" "$bench" save "$dir/r.db") \
  || fail "kolvar-bench save"
awk '$1 == "seconds" { ok = $2 < 1.5 } END { exit !ok }' <<<"$out" \
  || fail "kolvar-bench counted the reading of the save's box: $out"
# The last drawing ends a wait, not an early one; a box's wait ends at its first drawing and the
# wait after the Enter that answers it is added; the program's quarter second of rest is not
# counted: command, field, at least, under.
while read -r command field least under; do
  out=$("$window" "$stand_in" "$command") || fail "stand-in $command"
  value=$(awk -v f="$field" '{ for (i = 1; i < NF; i += 2) if ($i == f) print $(i + 1) }' <<<"$out")
  awk -v v="$value" -v a="$least" -v b="$under" 'BEGIN { exit !(v >= a && v < b) }' \
    || fail "stand-in $command: $field $value, not in [$least, $under)"
done <<'ROWS'
sort2 start 0.100 0.250
sort2 seconds 0.080 0.250
save seconds 0.070 0.250
save boxes 1 2
save peak 67.1 1000
ROWS
echo "bench_window: the window took every key"
