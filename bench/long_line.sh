#!/usr/bin/env bash
# bench/long_line.sh [BUILD_DIR] [MB]
# A Form 25 report whose sales record holds one field of MB megabytes
# (default 40), opened by the real program (offscreen, through the probe, as
# bench/run-all opens reports) against validate_report on the same file, by
# bench/pairs: $RUNS pairs (default 5) on core $CORE (default the last).
# Goals: the open within 4x validate_report's time, at a peak below 6x the
# line. Prints pairs' table and the two figures.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
mb=${2:-40}
case "$build" in /*) ;; *) build="$here/$build" ;; esac
bin="$build/bin"
year=$(date +%Y)
cmake --build "$build" -j "$(nproc)" --target Dazozuvi make_report validate_report pairs bench_probe >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The program's user, as run-all makes it: settings with a report folder and
# the year's identity.
home="$work/home"
mkdir -p "$home/.config/ZIDIVO" "$home/.local/share" "$home/.cache" "$home/xdg" "$home/run" "$home/reports/ZOV$year"
chmod 700 "$home/run"
printf '{ "SOFTWARE\\\\ZIDIVO": { "ReportRoot": { "type": 1, "data": "%s" } } }\n' "$home/reports" \
  >"$home/.config/ZIDIVO/registry.json"
"$bin/make_report" 1 0 42 --identity >"$home/reports/ZOV$year/identity.txt"
user=(HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache"
  XDG_CONFIG_DIRS="$home/xdg" XDG_RUNTIME_DIR="$home/run")

file="$work/MR1234500.txt"
{
  printf '0|R12345|100-200|'
  head -c $((mb * 1000000)) /dev/zero | tr '\0' 'A'
  printf '|1.5|OZ|3|X||\r\n'
} >"$file"
bytes=$(stat -c %s "$file")

out=$("$bin/pairs" --name long_line --runs "${RUNS:-5}" --core "${CORE:-$(($(nproc) - 1))}" -- \
  "${user[@]}" QT_QPA_PLATFORM=offscreen LD_PRELOAD="$bin/libbench_probe.so" BENCH_PROBE="open:8:$file" \
  "$bin/Dazozuvi" --vs "${user[@]}" BENCH_PRIVATE_HOME=1 "$bin/validate_report" "$file" 8 0 --year "$year")
echo "$out"
ratio=$(sed -n 's/^RESULT name=long_line side=ratio what=wall median=\([^ ]*\).*/\1/p' <<<"$out")
peak=$(sed -n 's/^RESULT name=long_line side=A what=peak_mb median=\([^ ]*\).*/\1/p' <<<"$out")
awk -v r="$ratio" -v p="$peak" -v b="$bytes" 'BEGIN {
  printf "open against validate_report: %.2fx (goal: at most 4x)\n", r
  printf "peak of the open: %.0f MB, %.2fx the %.1f MB line (goal: below 6x)\n", p, p * 1048576 / b, b / 1e6 }'
