#!/usr/bin/env bash
# Builds Kolvar for release and makes its Debian package, build-package/kolvar_VERSION_ARCH.deb,
# with the library dependencies dpkg-shlibdeps finds. Install it with
#   sudo apt-get install ./build-package/kolvar_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
kolvar_install_deps dpkg-dev file

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVAR_TESTS=OFF >/dev/null
cmake --build build-package
cd build-package
rm -f kolvar_*.deb
cpack -G DEB >/dev/null
ls "$PWD"/kolvar_*.deb
