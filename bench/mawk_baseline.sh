#!/usr/bin/env bash
# Compares validate_report with mawk applying the same column patterns to the
# same Form 26 file. Usage: bench/mawk_baseline.sh [RECORDS] [BUILD_DIR]
# Makes the file with make_report, times both on one core, prints MB/s each.
set -euo pipefail
records=${1:-1000000}
build=${2:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
core=${CORE:-0} # the one core both programs run on
bin="$here/$build/bin"
command -v mawk >/dev/null || { echo "mawk is not installed (apt-get install mawk)"; exit 1; }
year=$(date +%Y)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file="$work/P_bench.txt"
"$bin/make_report" 1 "$records" 42 --year "$year" >"$file"
bytes=$(stat -c %s "$file")

# The Form 26 column rules as plain patterns (mawk has no {m,n} counts).
d='[0-9]'
cat >"$work/rules.awk" <<AWK
BEGIN { FS = "|" }
{
  bad = 0
  if (\$1 !~ /^[034]\$/) bad++
  if (\$2 !~ /^[ABCT]$d$d$d$d$d$d$d\$/ || \$2 ~ /0000000\$/) bad++
  if (\$3 !~ /^($d|$d$d|$d$d$d|$d$d$d$d|$d$d$d$d$d)?\$/) bad++
  if (\$4 !~ /^$d$d?$d?$d?$d?$d?-$d$d?$d?$d?$d?(-$d$d?$d?$d?$d?$d?)?\$/) bad++
  if (\$5 == "" || \$5 ~ /^[+-]?$d*\\.?$d*\$/) bad++
  if (\$6 !~ /^$d+(\\.$d*)?\$/ || \$6 ~ /^[0.]*\$/) bad++
  if (\$7 !~ /^(FL|GL|GM|KG|L|LB|MG|ML|OZ|QT)\$/) bad++
  if (\$8 !~ /^(0[1-9]|1[0-2])\\/(0[1-9]|[12]$d|3[01])\\/$year\$/) bad++
  if (\$9 != "" && \$9 !~ /^(0[1-9]|1[0-2])\\/(0[1-9]|[12]$d|3[01])\\/$year\$/) bad++
  if (\$10 !~ /^(0[1-9]|[1-5]$d|6[0-2]|99)\$/) bad++
  if (\$11 == "" || \$11 ~ /^[+-]?$d*\\.?$d*\$/) bad++
  if (\$12 == "" || \$12 ~ /^[+-]?$d*\\.?$d*\$/) bad++
  if (\$13 !~ /^$d$d$d$d$d\$/ || \$13 == "00000") bad++
  if (NF < 13 || NF > 18) bad++
  if (bad) invalid++
}
END { print "records=" NR " invalid=" invalid }
AWK

seconds() { local s e; s=$(date +%s.%N); "$@" >"$work/out"; e=$(date +%s.%N); echo "$e - $s" | bc -l; }
mb() { echo "scale=1; $bytes / 1000000 / $1" | bc -l; }

t_awk=$(seconds taskset -c "$core" mawk -f "$work/rules.awk" "$file")
echo "mawk:            $(tail -1 "$work/out")  $(printf %.3f "$t_awk") s  $(mb "$t_awk") MB/s"
t_val=$(seconds taskset -c "$core" "$bin/validate_report" "$file" 1 0 --year "$year")
inner=$(tail -1 "$work/out" | sed 's/.*seconds=//')
echo "validate_report: $(tail -1 "$work/out" | cut -d' ' -f1-2)  $(printf %.3f "$t_val") s  $(mb "$t_val") MB/s" \
  "(ValidateFile alone: $(mb "$inner") MB/s)"
echo "file: $bytes bytes; speed-up over mawk: $(echo "scale=2; $t_awk / $t_val" | bc -l)x"
