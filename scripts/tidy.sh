#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) over the program's own sources,
# not the tests, with the compile commands of a built tree:
#   tidy.sh BUILD_DIR
# Fails when any check finds something.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$(cd "$1" && pwd)
cd "$top"
[ -f "$dir/compile_commands.json" ] || { echo "tidy: $dir has no compile_commands.json: build it first" >&2; exit 1; }
mapfile -t files < <(git ls-files 'core/*.cpp' 'sender/*.cpp' 'windows/*.cpp' 'cli/*.cpp' 'virtual_printer/*.cpp' 'dravik/*.cpp')
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$dir" --quiet >"$log" 2>&1; then
  echo "tidy: ${#files[@]} files, no findings"
else
  grep -E '(warning|error):' "$log" >&2 || cat "$log" >&2
  echo "tidy: findings above (checks in .clang-tidy)" >&2
  exit 1
fi
