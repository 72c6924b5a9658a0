#!/usr/bin/env bash
# Starts Kolvar with the example register under a virtual X server with a window manager, the
# accessibility bus and the Orca screen reader, then lets orca_hears.py drive it with keys alone
# and check what Orca speaks. No sound card is needed: Orca's debug log holds every line it
# speaks, written line by line so that nothing is lost when it stops.
# Usage: orca.sh KOLVAR MAKEEXAMPLE EXAMPLE-SOURCE. Exit 77 means skipped.
set -euo pipefail

kolvar=$1
makeexample=$2
example=$3
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

skip() {
  echo "SKIP: $1"
  exit 77
}
command -v xvfb-run >/dev/null || skip "xvfb-run missing (Debian package xvfb)"
command -v dbus-run-session >/dev/null || skip "dbus-run-session missing (Debian package dbus)"
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "the AT-SPI bus missing (Debian package at-spi2-core)"
[ -x /usr/bin/orca ] || skip "Orca missing (Debian package orca)"
command -v openbox >/dev/null || skip "no window manager (Debian package openbox)"
command -v xdotool >/dev/null || skip "xdotool missing (Debian package xdotool)"
"$python" -c 'import pyatspi' 2>/dev/null || skip "pyatspi missing (Debian package python3-pyatspi)"

# The program keeps its register and settings beside itself, so it runs from a folder of its own;
# Orca keeps its settings in a home of its own, so the machine's user settings play no part.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$kolvar" "$work/kolvar"
"$makeexample" register "$example" "$work/przyklad.db" >/dev/null
"$makeexample" settings "$work" przyklad.db >/dev/null
mkdir -p "$work/home" "$work/run" "$work/orca"
chmod 700 "$work/run"

unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
export XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache"
# Orca speaks its own words (roles, counts) in English, so that what is checked does not hang on
# its translations; the driver starts Kolvar in Polish.
export LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=Europe/Warsaw
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0 GTK_MODULES=gail:atk-bridge
export KOLVAR_EXAMPLE_SOURCE="$example" KOLVAR_WORK="$work" KOLVAR_ORCA_LOG="$work/orca.log"

# No stdin, a hard limit on everything: a hung bus, reader or program fails the test instead of CI.
timeout -k 10 240 xvfb-run -a -s '-screen 0 1600x1000x24' \
  dbus-run-session -- bash -c '
    python=$0 here=$1 work=$2
    openbox > "$work/openbox.log" 2>&1 &
    wm=$!
    "$python" "$here/orca_unbuffered.py" "$KOLVAR_ORCA_LOG" -u "$work/orca" > "$work/orca.out" 2>&1 &
    reader=$!
    status=0
    timeout -k 5 200 "$python" "$here/orca_hears.py" || status=$?
    kill "$reader" "$wm" 2>/dev/null || true
    wait "$reader" "$wm" 2>/dev/null || true
    if [ "$status" -ne 0 ]; then
      echo "--- program output ---"
      tail -n 40 "$work/kolvar.log" 2>/dev/null || true
      echo "--- Orca output ---"
      tail -n 20 "$work/orca.out" 2>/dev/null || true
    fi
    exit "$status"
  ' "$python" "$here" "$work" </dev/null
