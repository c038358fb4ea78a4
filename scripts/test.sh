#!/usr/bin/env bash
# Sets up, builds and runs every check: the layout of the sources
# (clang-format), the whole test suite plainly (warnings
# as errors) and under AddressSanitizer + UndefinedBehaviorSanitizer,
# clang-tidy over the program's sources, the library's and the tool's suites
# under ThreadSanitizer; then builds and checks the Debian package.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
export XDG_RUNTIME_DIR
chmod 0700 "$XDG_RUNTIME_DIR"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0

echo "== format"
bash "$top/scripts/check_format.sh" || status=1

for variant in plain asan; do
  dir="$top/build-test-$variant"
  extra=(-DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
  [ "$variant" = asan ] && extra+=(-DNPS_SANITIZE=ON)
  echo "== $variant build"
  bash "$top/scripts/build.sh" "$dir" "${extra[@]}"
  echo "== $variant tests"
  ctest --test-dir "$dir" --output-on-failure -j2 --timeout 300 || status=1
  if [ "$variant" = plain ]; then
    echo "== tidy"
    bash "$top/scripts/tidy.sh" "$dir" || status=1
  fi
done

# The threaded suites that need no widgets: the library's and the tool's.
# Qt itself is not built with ThreadSanitizer (tests/tsan.supp).
echo "== tsan build"
dir="$top/build-test-tsan"
bash "$top/scripts/build.sh" "$dir" -DNPS_TSAN=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -- nps_tsan_suites
echo "== tsan tests"
TSAN_OPTIONS="halt_on_error=1:die_after_fork=0:second_deadlock_stack=1:suppressions=$top/tests/tsan.supp" \
  ctest --test-dir "$dir" -L tsan --output-on-failure -j2 --timeout 300 || status=1

# Once, in a Release tree of its own: the Debian package, unpacked and run.
echo "== package"
bash "$top/tests/packaging/test_package.sh" || status=1
exit $status
