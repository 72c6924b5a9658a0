#!/usr/bin/env bash
# Installs what is missing, builds every test with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs them all headless. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
kolvar_install_deps "${kolvar_test_packages[@]}"

# The benchmark programs are built too, so that their own tests run with the others.
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKOLVAR_SANITIZE=ON -DKOLVAR_WERROR=ON \
  -DKOLVAR_BENCH=ON >/dev/null
cmake --build build-test

# A short fuzzing run of the readers of outside files where clang is at hand, a fixed number of
# inputs from a fixed seed so that every run of this script meets the same inputs; run
# tests/fuzz/run_fuzz.sh for a long one.
if command -v clang++ >/dev/null; then
  KOLVAR_FUZZ_RUNS=200 tests/fuzz/run_fuzz.sh
fi

export QT_QPA_PLATFORM=offscreen
cd build-test
ctest --output-on-failure -j "$(nproc)"
