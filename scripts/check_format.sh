#!/usr/bin/env bash
# Fails, listing the files, when a C++ file of the repository is not laid out
# as .clang-format says. `check_format.sh --fix` lays them out.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
# One clang-format for all files; each misplaced line is reported as
# "FILE:LINE:COLUMN: error: code should be clang-formatted".
if ! out=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
  echo "check_format: not laid out as .clang-format says (bash scripts/check_format.sh --fix):" >&2
  sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/  \1/p' <<<"$out" | sort -u >&2
  grep -q ': error: ' <<<"$out" || echo "$out" >&2
  exit 1
fi
echo "check_format: ${#files[@]} files laid out as .clang-format says"
