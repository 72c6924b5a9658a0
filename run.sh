#!/usr/bin/env bash
# Installs what is missing, builds Kolvar (release) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
kolvar_install_deps

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVAR_TESTS=OFF >/dev/null
cmake --build build-release --target kolvar

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Brak ekranu graficznego (DISPLAY). Uruchom Kolvar na pulpicie albo: xvfb-run ./run.sh"
  exit 1
fi
exec build-release/app/kolvar "$@"
