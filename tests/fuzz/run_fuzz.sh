#!/usr/bin/env bash
# Fuzzes the hints reader, the settings reader and the reader of a server's COPY lines (each line
# as it comes, and texts escaped as COPY writes them and read back) for SECONDS each (default
# 600), built with clang
# and libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz. The hostile
# corpus of tst_fuzzcorpus seeds each run; what the fuzzer finds stays in build-fuzz/corpus.
# A crash, leak, hang or sanitizer report ends the script with the fuzzer's failure status.
# With KOLVAR_FUZZ_RUNS=N each reader is given N inputs from seed 1 instead, the same every time.
#   tests/fuzz/run_fuzz.sh [SECONDS] [hints|settings|copyline ...]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-600}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(hints settings copyline)

if ! command -v clang++ >/dev/null; then
  echo "run_fuzz.sh: clang++ is not installed, nothing fuzzed" >&2
  exit 1
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKOLVAR_FUZZ=ON >/dev/null
cmake --build build-fuzz --target tst_fuzzcorpus "${targets[@]/#/fuzz_}"
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
KOLVAR_CORPUS_DIR="$PWD/build-fuzz/corpus" build-fuzz/tests/fuzz/tst_fuzzcorpus >/dev/null

# Inputs as large as what each reader meets: a hints file of a megabyte, a settings file of a few
# kilobytes (larger ones only slow every run down: each key is looked up line by line), a line of
# a case with its details.
declare -A max_len=([hints]=1100000 [settings]=8192 [copyline]=16384)

for target in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$target" "build-fuzz/findings/$target"
  if [ -n "${KOLVAR_FUZZ_RUNS:-}" ]; then
    echo "Fuzzing the $target reader with ${KOLVAR_FUZZ_RUNS} inputs"
    limit=(-runs="$KOLVAR_FUZZ_RUNS" -seed=1)
  else
    echo "Fuzzing the $target reader for ${seconds} s"
    limit=(-max_total_time="$seconds")
  fi
  build-fuzz/tests/fuzz/fuzz_"$target" "${limit[@]}" -malloc_limit_mb=64 \
    -rss_limit_mb=2048 -timeout=25 -max_len="${max_len[$target]}" -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$target/" "build-fuzz/corpus/$target" 2>&1 | tail -n 12
done
