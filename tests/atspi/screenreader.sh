#!/usr/bin/env bash
# Starts Kolvar with the example register under a virtual X server, a private session bus and
# the accessibility bus, then lets screenreader.py read it as a screen reader would.
# Usage: screenreader.sh KOLVAR MAKEEXAMPLE EXAMPLE-SOURCE. Exit 77 means skipped.
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
"$python" -c 'import pyatspi' 2>/dev/null || skip "pyatspi missing (Debian package python3-pyatspi)"

# The program keeps its register and settings beside itself, so it runs from a folder of its own.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$kolvar" "$work/kolvar"
"$makeexample" register "$example" "$work/przyklad.db" >/dev/null
"$makeexample" settings "$work" przyklad.db >/dev/null

unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
export LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8 TZ=Europe/Warsaw
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
export KOLVAR_EXAMPLE_SOURCE="$example"

# No stdin, a hard limit on everything: a hung bus or program fails the test instead of CI.
timeout -k 10 180 xvfb-run -a -s '-screen 0 1600x1000x24' \
  dbus-run-session -- bash -c '
    "$0" > "$1/kolvar.log" 2>&1 &
    app=$!
    status=0
    timeout -k 5 120 "$2" "$3" || status=$?
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    if [ "$status" -ne 0 ]; then
      echo "--- program output ---"
      tail -n 40 "$1/kolvar.log"
    fi
    exit "$status"
  ' "$work/kolvar" "$work" "$python" "$here/screenreader.py" </dev/null
