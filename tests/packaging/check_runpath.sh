#!/usr/bin/env bash
# Fails when a program or shared library below the given folders would look
# for libraries in the current folder: an empty or relative entry in its
# RUNPATH or RPATH (a run of colons, a trailing colon, "lib"). With --run, also
# starts that program with --version from a folder holding a planted,
# unloadable libQt6Core.so.6 and libDravik.so, which must not matter.
#   check_runpath.sh [--run PROGRAM]... DIR...
# Ends with one line: "runpath: N passed, M failed".
set -uo pipefail
programs=()
while [ $# -gt 1 ] && [ "$1" = --run ]; do programs+=("$2"); shift 2; done
[ $# -gt 0 ] || { echo "usage: check_runpath.sh [--run PROGRAM]... DIR..." >&2; exit 2; }

passed=0 failed=0
fail() { echo "FAIL $1"; failed=$((failed + 1)); }

checked=0
while IFS= read -r -d '' file; do
  [ "$(head -c 4 "$file" 2>/dev/null)" = $'\x7fELF' ] || continue
  dynamic=$(readelf -d "$file" 2>/dev/null) || continue
  checked=$((checked + 1))
  while IFS= read -r line; do
    kind=$(sed -n 's/.*(\(RUNPATH\|RPATH\)).*/\1/p' <<<"$line")
    value=$(sed -n 's/.*\[\(.*\)\]$/\1/p' <<<"$line")
    # An empty string, a leading, doubled or trailing colon: an empty entry.
    if [ -z "$value" ] || [[ "$value" == :* || "$value" == *: || "$value" == *::* ]]; then
      fail "$file: $kind '$value' has an empty entry (the current folder)"
      continue
    fi
    IFS=: read -r -a entries <<<"$value"
    for entry in "${entries[@]}"; do
      case $entry in
        /* | '$ORIGIN' | '$ORIGIN/'* | '${ORIGIN}' | '${ORIGIN}/'*) ;;
        *) fail "$file: $kind '$value' has the relative entry '$entry' (below the current folder)" ;;
      esac
    done
  done < <(grep -E '\((RUNPATH|RPATH)\)' <<<"$dynamic")
done < <(find "$@" -name CMakeFiles -prune -o -type f \( -perm -u+x -o -name '*.so' -o -name '*.so.*' \) -print0)
if [ "$checked" -eq 0 ]; then
  fail "no program or library found below $*"
elif [ "$failed" -eq 0 ]; then
  echo "PASS $checked programs and libraries search no relative folder"
  passed=$((passed + 1))
fi

if [ ${#programs[@]} -gt 0 ]; then
  planted=$(mktemp -d)
  trap 'rm -rf "$planted"' EXIT
  echo "not a library" >"$planted/libQt6Core.so.6"
  echo "not a library" >"$planted/libDravik.so"
  for program in "${programs[@]}"; do
    if out=$(cd "$planted" && env -u LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen "$program" --version 2>&1); then
      echo "PASS $(basename "$program") --version beside a planted libQt6Core.so.6"
      passed=$((passed + 1))
    else
      fail "$(basename "$program") --version from a folder with a planted libQt6Core.so.6: $out"
    fi
  done
fi
echo "runpath: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
