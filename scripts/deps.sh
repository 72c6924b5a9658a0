#!/usr/bin/env bash
# Installs the Debian packages Kolvar needs to build, test and run, skipping those present.
# Sourced by run.sh and test.sh; usable on its own.
set -euo pipefail

kolvar_packages=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev libgl-dev libsqlite3-dev sqlite3 libpq-dev
  fonts-liberation qt6-translations-l10n poppler-utils
  librsvg2-bin desktop-file-utils appstream
)

# What test.sh needs on top: a virtual X server, a session bus, the accessibility bus and its
# Python bindings for the screen-reader tests, a PostgreSQL server the server-register tests
# start privately, for the test that runs Orca: Orca, its speech server, a window manager and
# a way to press keys, Python itself, whose csv module reads back the exported files, and groff
# and man-db, which read the manual page as man shows it.
kolvar_test_packages=(
  xvfb xauth dbus at-spi2-core python3-pyatspi postgresql
  orca speech-dispatcher openbox xdotool python3 groff-base man-db
  libx11-dev libxtst-dev libxdamage-dev
)

# What bench/window.sh needs to time the real window from outside: the X libraries' keys
# (XTEST) and drawing reports (DAMAGE) for kolvar-window, and a virtual X server.
kolvar_window_packages=(libx11-dev libxtst-dev libxdamage-dev xvfb xauth)

kolvar_install_deps() {
  local missing=()
  local p
  for p in "${kolvar_packages[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Instaluję brakujące pakiety: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  kolvar_install_deps "$@"
fi
