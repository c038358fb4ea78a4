#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) over the program's own sources,
# not the tests, with the compile commands of a built tree:
#   tidy.sh BUILD_DIR
# Fails when any check finds something. A source whose inputs are the same as
# at its last clean run (the source, every project header it includes, its
# compile command, the system headers, clang-tidy and .clang-tidy) is not
# checked again: BUILD_DIR/tidy-clean/ remembers those runs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$(cd "$1" && pwd)
[ -f "$dir/compile_commands.json" ] || { echo "tidy: $dir has no compile_commands.json: build it first" >&2; exit 1; }
exec python3 "$top/scripts/tidy_cached.py" "$top" "$dir"
