#!/usr/bin/env bash
# Builds the Debian package nemboportsettings_<version>_<arch>.deb from a
# Release tree of its own (build-package) and puts it into OUTDIR (default:
# the repository's top folder). Prints the package's path last. Further
# arguments go to CMake (the test command adds -DCMAKE_COMPILE_WARNING_AS_ERROR=ON).
#   package.sh [OUTDIR [cmake args...]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$top/build-package
out=${1:-$top}
[ $# -gt 0 ] && shift
bash "$top/scripts/setup.sh"
cd "$top"

# Debian's hardening flags (fortify, stack protector, relro, bindnow, PIE),
# without debugging information: the package is stripped.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export DEB_CFLAGS_MAINT_STRIP=-g DEB_CXXFLAGS_MAINT_STRIP=-g
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CFLAGS CXXFLAGS LDFLAGS

# shellcheck source=compiler_cache.sh
source "$top/scripts/compiler_cache.sh"
cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DNPS_BUILD_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_COMPILE_WARNING_AS_ERROR=OFF "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
rm -f "$dir"/nemboportsettings_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
debs=("$dir"/nemboportsettings_*.deb)
deb=${debs[0]}
rm -f "$out"/nemboportsettings_*.deb # an older version beside it would trouble apt install ./nemboportsettings_*.deb
cp "$deb" "$out/"
echo "$out/$(basename "$deb")"
