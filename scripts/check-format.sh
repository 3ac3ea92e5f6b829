#!/usr/bin/env bash
# Fails when a C++ file of ours differs from what clang-format makes of it.
# `bash scripts/check-format.sh --fix` rewrites the files instead.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null 2>&1; then
  echo "clang-format not installed: format check skipped"
  exit 0
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h' | grep -v '^./build')
[ ${#files[@]} -gt 0 ] || exit 0
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/format-check.$$; then
  grep -E '^[^ ].*: (error|warning)' /tmp/format-check.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  rm -f /tmp/format-check.$$
  echo "Run: bash scripts/check-format.sh --fix"
  exit 1
fi
rm -f /tmp/format-check.$$
