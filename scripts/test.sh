#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite twice: plainly and under
# AddressSanitizer + UndefinedBehaviorSanitizer; then builds and checks the
# Debian package.
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
for variant in plain asan; do
  dir="$top/build-test-$variant"
  extra=()
  [ "$variant" = asan ] && extra=(-DNPS_SANITIZE=ON)
  echo "== $variant build"
  bash "$top/scripts/build.sh" "$dir" "${extra[@]}"
  echo "== $variant tests"
  ctest --test-dir "$dir" --output-on-failure -j2 --timeout 300 || status=1
done
# Once, in a Release tree of its own: the Debian package, unpacked and run.
echo "== package"
bash "$top/tests/packaging/test_package.sh" || status=1
exit $status
