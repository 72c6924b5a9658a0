#!/usr/bin/env bash
# bench_commands.sh KOLVAR_GEN KOLVAR_BENCH: every command the whole-program comparison times runs
# to its end on a small generated register, in each order, with the boxes it expects and no
# other; a search finds a phrase that is there and reports one that is not. A harness that stops
# with an error is found here, not an hour into a long run.
set -euo pipefail
gen=$1
bench=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$gen" 300 "$dir/r.db" >/dev/null

fail() {
  echo "bench_commands: $*" >&2
  exit 1
}

for order in 2 3 4; do
  KOLVAR_BENCH_SORT=$order "$bench" load "$dir/r.db" || fail "load by $order"
  count=$(KOLVAR_BENCH_SORT=$order "$bench" dump "$dir/r.db" | tail -n 1)
  [[ $count == "count 300 "* ]] || fail "dump by $order: $count"
  for command in sort2 sort3 sort4 save search edit; do
    out=$(KOLVAR_BENCH_SORT=$order "$bench" $command "$dir/r.db") || fail "$command by $order"
    [[ $out == seconds* ]] || fail "$command by $order: $out"
  done
done
# One case added and one deleted leave the count as it was.
for command in add delete regen; do
  out=$("$bench" $command "$dir/r.db") || fail "$command"
  [[ $out == seconds* ]] || fail "$command: $out"
done
[[ $("$bench" dump "$dir/r.db" | tail -n 1) == "count 300 "* ]] || fail "count after add and delete"

# A case named by its ID is the one opened; an ID no case has stops the run.
[[ $(KOLVAR_BENCH_CASE=7 "$bench" edit "$dir/r.db") == seconds* ]] || fail "edit of case 7"
KOLVAR_BENCH_CASE=999999 "$bench" edit "$dir/r.db" 2>/dev/null && fail "edit of a case that is not there"

# The generated details name the land register; nothing names a tortoise.
[[ $(KOLVAR_BENCH_PHRASE="księdze wieczystej" "$bench" search "$dir/r.db") =~ found-row\ [1-9] ]] \
  || fail "a phrase that is there was not found"
[[ $(KOLVAR_BENCH_PHRASE="qqq xyzzy" "$bench" search "$dir/r.db") == *"found-row 0" ]] \
  || fail "qqq xyzzy was found"
echo "bench_commands: every command ran"
