#!/usr/bin/env bash
# Sets up, builds and starts NemboPortSettings.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup.sh"
bash "$top/scripts/build.sh" "$top/build" -DNPS_BUILD_TESTS=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (DISPLAY and WAYLAND_DISPLAY are empty): start a desktop session first." >&2
  exit 1
fi
# The folder the user stands in plays no part: the program starts in the home
# folder, as from a desktop menu, and an empty entry of LD_LIBRARY_PATH (which
# the loader reads as the current folder) is dropped.
if [ -n "${LD_LIBRARY_PATH:-}" ]; then
  kept=$(tr ':' '\n' <<<"$LD_LIBRARY_PATH" | grep -v '^$' | paste -sd: -) || true
  if [ -n "$kept" ]; then export LD_LIBRARY_PATH=$kept; else unset LD_LIBRARY_PATH; fi
fi
cd "${HOME:-/}" 2>/dev/null || cd /
exec "$top/build/bin/NemboPortSettings"
