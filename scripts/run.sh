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
exec "$top/build/bin/NemboPortSettings"
