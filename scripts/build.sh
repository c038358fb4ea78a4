#!/usr/bin/env bash
# Configures and builds one tree: build.sh DIR [extra cmake args...] [-- TARGET...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
# shellcheck source=compiler_cache.sh
source "$top/scripts/compiler_cache.sh"
configure=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do configure+=("$1"); shift; done
[ $# -gt 0 ] && shift
targets=()
[ $# -gt 0 ] && targets=(--target "$@")
cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "${configure[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
