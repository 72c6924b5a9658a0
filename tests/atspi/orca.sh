#!/usr/bin/env bash
# Starts Kolvar with the example register under a virtual X server with a window manager, the
# accessibility bus and the Orca screen reader, then lets orca_hears.py drive it with keys alone
# and check what Orca speaks. No sound is made or needed: Orca's debug log holds every line it
# would speak, written line by line so that nothing is lost when it stops.
#
# Orca gets no speech server. The speech-dispatcher it would start for itself cannot open a sound
# device on a machine without a sound server and then never answers Orca's third request to
# speak: Orca blocks for good after logging its third line, and the server is left deadlocked.
# Whether that happens depends on the machine, so the test never depends on it.
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
session=""
speech_servers=$(pgrep -c -x speech-dispatch || true)
# Everything the test starts runs in one session of its own (the X server, both buses, the window
# manager, Orca, Kolvar), which is ended by its leader's process ID however the test ends:
# nothing is left running, and nothing of the machine's own is touched.
finish() {
  if [ -n "$session" ]; then
    pkill -TERM -s "$session" 2>/dev/null || true
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      pgrep -s "$session" >/dev/null || break
      sleep 0.5
    done
    pkill -KILL -s "$session" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap finish EXIT
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
# No speech server: a spawn command that does not exist and a socket nobody listens on, inside
# the test's own runtime folder.
export SPEECHD_CMD="$work/no-speech-dispatcher" SPEECHD_ADDRESS="unix_socket:$work/run/no-speech.sock"

# No stdin, a hard limit on everything: a hung bus, reader or program fails the test instead of CI.
setsid timeout -k 10 240 xvfb-run -a -s '-screen 0 1600x1000x24' \
  dbus-run-session -- bash -c '
    python=$0 here=$1 work=$2
    openbox > "$work/openbox.log" 2>&1 &
    wm=$!
    "$python" "$here/orca_unbuffered.py" "$KOLVAR_ORCA_LOG" -u "$work/orca" > "$work/orca.out" 2>&1 &
    reader=$!
    status=0
    timeout -k 5 200 "$python" "$here/orca_hears.py" || status=$?
    # A reader that hung may not end on its own: the end of the session kills what is left.
    kill "$reader" "$wm" 2>/dev/null || true
    if [ "$status" -ne 0 ]; then
      echo "--- program output ---"
      tail -n 40 "$work/kolvar.log" 2>/dev/null || true
      echo "--- Orca output ---"
      tail -n 20 "$work/orca.out" 2>/dev/null || true
    fi
    exit "$status"
  ' "$python" "$here" "$work" </dev/null &
session=$!
status=0
wait "$session" || status=$?
# Orca was given no speech server: one running now was started by the test after all.
if [ "$(pgrep -c -x speech-dispatch || true)" -gt "$speech_servers" ]; then
  echo "FAIL: a speech server was started: $(pgrep -a -x speech-dispatch)"
  status=1
fi
exit "$status"
