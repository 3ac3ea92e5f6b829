#!/usr/bin/env bash
# The validator against mawk applying the same checks to the same Form 26 file.
# Usage: bench/mawk_baseline.sh [BUILD_DIR] [FILE] [YEAR]
# Without FILE, makes a 1,000,000-record file with make_report (seed 42).
# Both sides are whole fresh processes run by bench/pairs: one warm-up each,
# then $RUNS pairs (default 7) taking turns on one core ($CORE, default the
# last); each writes one line per finding (to /dev/null). The ratio printed is
# mawk's time over validate_report's: the validator's speed-up.
#
# The awk rules check at least what the validator checks in each column, with
# the same anchors and lengths, and are stricter wherever awk cannot follow a
# rule's other accepted forms (other date forms, numbers with commas). Before
# timing, both run once and their counts of records with findings are
# compared: mawk must find at least the validator's.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
file=${2:-}
year=${3:-$(date +%Y)}
case "$build" in /*) bin="$build/bin" ;; *) bin="$here/$build/bin" ;; esac
command -v mawk >/dev/null || { echo "mawk is not installed (apt-get install mawk)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [[ -z $file ]]; then
  file="$work/P_bench.txt"
  "$bin/make_report" 1 1000000 42 --year "$year" >"$file"
fi

# n to m digits as a pattern without counts (mawk has none): d, then m - n
# optional ones.
digits() {
  local n=$1 m=$2 p="" i
  for ((i = 0; i < n; i++)); do p+="[0-9]"; done
  for ((i = n; i < m; i++)); do p+="[0-9]?"; done
  printf '%s' "$p"
}
# A calendar date of the report year as mm/dd/yyyy: each month its own days.
if (( (year % 4 == 0 && year % 100 != 0) || year % 400 == 0 )); then feb='(0[1-9]|1[0-9]|2[0-9])'; else feb='(0[1-9]|1[0-9]|2[0-8])'; fi
date="^((0[13578]|1[02])\\/(0[1-9]|[12][0-9]|3[01])|(0[469]|11)\\/(0[1-9]|[12][0-9]|30)|02\\/$feb)\\/$year\$"
# What the validator calls a number: blanks, sign, digits with one point,
# an exponent.
number='^[ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*$'

cat >"$work/rules.awk" <<AWK
# Form 26: indicator, certification id, business number, EPA number, product,
# quantity, units, start date, end date, county, address, municipality, zip.
function finding(col) { print NR "\t" col "\t" \$col; bad = 1 }
function name(col) { if (\$col !~ /[^ ]/ || \$col ~ /$number/) finding(col) }
BEGIN { FS = "|"; RS = "\r\n" }
{
  bad = 0
  count = (NF > 1 && \$NF == "") ? NF - 1 : NF
  if (count < 12 || count > 17) { print NR "\tcolumns\t" count; bad = 1 }
  if (\$1 !~ /^[034]\$/) finding(1)
  if (\$2 !~ /^[ABCT]$(digits 7 7)\$/ || \$2 ~ /^.0000000\$/) finding(2)
  if (\$3 !~ /^$(digits 0 5)\$/) finding(3)
  nodata = \$1 == "3"
  data = \$4 ~ /[^ ]/ || \$5 ~ /[^ ]/ || \$6 ~ /[^ ]/ || \$7 ~ /[^ ]/ || \$8 ~ /[^ ]/ || \$9 ~ /[^ ]/
  if (!nodata) {
    if (\$4 !~ /^$(digits 1 6)-$(digits 1 5)(-$(digits 1 6))?\$/) finding(4)
    name(5)
    if (\$6 !~ /^[0-9]+(\\.[0-9]*)?\$/ || \$6 !~ /[1-9]/ || length(\$6) > 15) finding(6)
    if (\$7 !~ /^(FL|GL|GM|KG|L|LB|MG|ML|OZ|QT)\$/) finding(7)
    if (\$8 !~ /$date/) finding(8)
    if (\$9 != "" && \$9 !~ /$date/) finding(9)
    if (\$10 !~ /^(0[1-9]|[1-5][0-9]|6[0-2]|99)\$/) finding(10)
    name(11)
    name(12)
    if (\$13 !~ /^[0-9][0-9][0-9][0-9][0-9](-[0-9][0-9][0-9][0-9])?\$/ || \$13 ~ /^00000/) finding(13)
  }
  if (nodata == data) { print NR "\tdata\t" \$1; bad = 1 }
  if (bad) invalid++
}
END { print "records=" NR " invalid=" invalid }
AWK

# The same file read by both once, so that the strictness is seen.
mawk -f "$work/rules.awk" "$file" | tail -1 >"$work/awk.count"
"$bin/validate_report" "$file" 1 0 --year "$year" | tail -1 >"$work/validator.count"
awk_invalid=$(sed 's/.*invalid=\([0-9]*\).*/\1/' "$work/awk.count")
validator_invalid=$(sed 's/.*invalid=\([0-9]*\).*/\1/' "$work/validator.count")
echo "records with findings: mawk $awk_invalid, validate_report $validator_invalid ($(stat -c %s "$file") bytes)"
if ((awk_invalid < validator_invalid)); then
  echo "mawk's rules are lighter than the validator's: it finds fewer records" >&2
  exit 1
fi

"$bin/pairs" --name "${NAME:-mawk}" --runs "${RUNS:-7}" ${CORE:+--core "$CORE"} -- \
  mawk -f "$work/rules.awk" "$file" --vs "$bin/validate_report" "$file" 1 0 --year "$year"
