#!/bin/sh
# The window program answers --help and --version without a display, and
# without a display says so in one line and exits 1 (no abort, no core).
set -u
program=$1
failed=0
check() { # name expected-status pattern command...
  name=$1 want=$2 pattern=$3; shift 3
  out=$("$@" 2>&1); got=$?
  if [ "$got" -ne "$want" ] || ! printf '%s' "$out" | grep -q "$pattern"; then
    echo "FAIL $name: status $got, output: $out"; failed=$((failed + 1))
  fi
}
check version 0 '^NemboPortSettings [0-9]' env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --version
check help 0 'Usage: NemboPortSettings' env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help
check no-display 1 'no display found' env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program"
[ "$failed" -eq 0 ] && echo "command line: 3 passed, 0 failed"
exit "$failed"
