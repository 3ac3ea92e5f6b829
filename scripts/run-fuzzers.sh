#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in their own build folder) and runs
# each for the given number of seconds. Skipped when clang is not installed or
# when the time is 0.
set -euo pipefail
seconds=${1:-60}
[ "$seconds" -gt 0 ] || exit 0
if ! command -v clang++ >/dev/null 2>&1; then
  echo "clang++ not installed: fuzzers skipped"
  exit 0
fi
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-fuzz"
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DZIDIVO_FUZZ=ON -DZIDIVO_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=$(cmake --build "$build" --target help | sed -n 's/^\.\.\. \(fuzz_[A-Za-z0-9_]*\).*/\1/p')
[ -n "$targets" ] || { echo "no fuzz targets"; exit 0; }
for t in $targets; do
  cmake --build "$build" -j "$(nproc)" --target "$t" >/dev/null
  mkdir -p "$build/corpus/$t"
  # The kept seeds (fuzz/seeds/<target>) start every run; inputs as long as
  # the longest seed (a line of 100 KiB) stay whole.
  seeds=()
  [ -d "$here/fuzz/seeds/$t" ] && seeds=("$here/fuzz/seeds/$t")
  echo "fuzzing $t for ${seconds}s"
  "$build/bin/$t" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=131072 -timeout=10 \
    -print_final_stats=0 "$build/corpus/$t" "${seeds[@]}" 2>"$build/$t.log" || { tail -50 "$build/$t.log"; exit 1; }
done
