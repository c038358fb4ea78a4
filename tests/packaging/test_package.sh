#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and checks that the
# installed programs, library and desktop files work from there.
# Ends with one line: "package: N passed, M failed, K skipped". Exit 1 on a failure.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
gui_pid=
cleanup() {
  [ -n "$gui_pid" ] && kill "$gui_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

passed=0 failed=0 skipped=0
pass() { echo "PASS $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1: $2"; failed=$((failed + 1)); }
skip() { echo "SKIP $1: $2"; skipped=$((skipped + 1)); }
finish() {
  echo "package: $passed passed, $failed failed, $skipped skipped"
  [ "$failed" -eq 0 ]
  exit
}

version=$(sed -n 's/^project(NemboPortSettings VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
privlib=usr/lib/$multiarch/nemboportsettings

# --- the package itself
deb=$scratch/nemboportsettings_${version}_${arch}.deb
# Built with warnings as errors: the Release optimiser and Debian's hardening
# flags find what the test trees' do not.
if bash "$top/scripts/package.sh" "$scratch" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >"$scratch/build.log" 2>&1 &&
  [ -f "$deb" ]; then
  pass "package builds as $(basename "$deb")"
else
  tail -n 30 "$scratch/build.log"
  fail "package builds" "no $(basename "$deb") (log above)"
  finish
fi

# Control data: one version everywhere, dependencies computed from the binaries.
control_ok=1
while IFS='|' read -r field pattern; do
  value=$(dpkg-deb -f "$deb" "$field")
  if ! grep -Eq -- "$pattern" <<<"$value"; then
    fail "control field $field" "'$value' does not match '$pattern'"
    control_ok=0
  fi
done <<EOF
Package|^nemboportsettings$
Version|^${version//./\\.}$
Architecture|^${arch}$
Depends|libqt6widgets6
Depends|libcups2
Depends|libc6
Maintainer|<.+@.+>
EOF
[ "$control_ok" = 1 ] && pass "control data"

listing=$(dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|')
files_ok=1
for path in \
  /usr/bin/NemboPortSettings /usr/bin/nemboport \
  "/$privlib/libDravik.so" "/$privlib/nemboport-pictures" \
  /usr/include/dravik.h "/usr/lib/$multiarch/pkgconfig/dravik.pc" \
  /usr/share/applications/org.nemboport.NemboPortSettings.desktop \
  /usr/share/metainfo/org.nemboport.NemboPortSettings.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/org.nemboport.NemboPortSettings.svg \
  /usr/share/icons/hicolor/16x16/apps/org.nemboport.NemboPortSettings.png \
  /usr/share/icons/hicolor/256x256/apps/org.nemboport.NemboPortSettings.png \
  /usr/share/man/man1/NemboPortSettings.1.gz /usr/share/man/man1/nemboport.1.gz \
  /usr/share/doc/nemboportsettings/copyright /usr/share/doc/nemboportsettings/changelog.gz; do
  grep -qxF "$path" <<<"$listing" || { fail "file list" "$path missing"; files_ok=0; }
done
# Nothing of the build or test trees slips in (fakes, test programs, static libraries).
stray=$(grep -E '\.a$|tst_|fake|/build' <<<"$listing")
[ -n "$stray" ] && { fail "file list" "unexpected: $stray"; files_ok=0; }
[ "$files_ok" = 1 ] && pass "file list"

lint=$(lintian --no-tag-display-limit "$deb" 2>&1)
if grep -q '^E:' <<<"$lint"; then fail "lintian" "$(grep '^E:' <<<"$lint")"; else pass "lintian: no errors"; fi

# The note on groups appears on the first configuration only.
mkdir -p "$scratch/control"
dpkg-deb -e "$deb" "$scratch/control"
first=$(sh "$scratch/control/postinst" configure "" 2>&1)
again=$(sh "$scratch/control/postinst" configure "0.9.0" 2>&1)
if grep -q dialout <<<"$first" && grep -qw lp <<<"$first" && [ -z "$again" ]; then
  pass "postinst names the groups once"
else
  fail "postinst" "first: '$first' upgrade: '$again'"
fi

# --- the unpacked tree
root=$scratch/root
dpkg -x "$deb" "$root"
unset LD_LIBRARY_PATH
bin=$root/usr/bin

out=$("$bin/nemboport" --version 2>&1)
if [ "$out" = "nemboport $version" ]; then pass "nemboport --version"; else fail "nemboport --version" "'$out'"; fi

# Runs once the tool's help lists the command "set" (the early tool knew only serve).
out=$("$bin/nemboport" --dry-run set darkness 8 2>&1); rc=$?
if ! "$bin/nemboport" --help 2>&1 | grep -qw set; then
  skip "nemboport --dry-run set darkness 8" "this nemboport does not have the command yet"
elif [ "$rc" = 0 ] && [ -n "$out" ]; then
  pass "nemboport --dry-run set darkness 8"
else
  fail "nemboport --dry-run set darkness 8" "status $rc: $out"
fi

# logo and serve are handed over to nemboport-pictures in the private folder:
# it runs, and says the picture's own error.
out=$("$bin/nemboport" --dry-run logo download "$scratch/none.bmp" 2>&1); rc=$?
if [ "$rc" = 2 ] && grep -qF "$scratch/none.bmp" <<<"$out"; then
  pass "nemboport hands logo to nemboport-pictures"
else
  fail "nemboport logo" "status $rc: $out"
fi

# The window program's --version, where it has one (older builds start the window instead).
out=$(QT_QPA_PLATFORM=offscreen timeout 5 "$bin/NemboPortSettings" --version 2>/dev/null); rc=$?
if [ "$rc" = 124 ]; then
  skip "NemboPortSettings --version" "this build has no --version yet"
elif [ "$rc" = 0 ] && grep -qF "$version" <<<"$out"; then
  pass "NemboPortSettings --version"
else
  fail "NemboPortSettings --version" "status $rc: '$out'"
fi

# The installed window program loads the installed library: it has it mapped
# while it runs with its window up.
QT_QPA_PLATFORM=offscreen "$bin/NemboPortSettings" >"$scratch/gui.log" 2>&1 &
gui_pid=$!
lib_real=$(readlink -f "$root/$privlib/libDravik.so")
mapped=0
for _ in $(seq 100); do
  grep -qF "$lib_real" "/proc/$gui_pid/maps" 2>/dev/null && { mapped=1; break; }
  kill -0 "$gui_pid" 2>/dev/null || break
  sleep 0.1
done
sleep 0.5
if [ "$mapped" = 1 ] && kill -0 "$gui_pid" 2>/dev/null; then
  pass "NemboPortSettings runs with the installed libDravik.so"
else
  fail "NemboPortSettings with the installed library" "mapped=$mapped, log: $(cat "$scratch/gui.log")"
fi
kill "$gui_pid" 2>/dev/null; wait "$gui_pid" 2>/dev/null; gui_pid=

# The installed library is the shipped build: the tests' device-root hook is
# not in it.
if grep -qF DRAVIK_TEST_ROOT "$lib_real"; then
  fail "the installed libDravik.so" "it reads the tests' DRAVIK_TEST_ROOT"
else
  pass "the installed libDravik.so has no test hook"
fi

# The command-line tool finds it by the same RUNPATH.
runpath=$(readelf -d "$bin/nemboport" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
if [ -f "${runpath/\$ORIGIN/$bin}/libDravik.so" ]; then
  pass "nemboport's RUNPATH holds libDravik.so"
else
  fail "nemboport's RUNPATH" "'$runpath' has no libDravik.so"
fi

# No installed program or library looks for libraries in the current folder.
if out=$(bash "$top/tests/packaging/check_runpath.sh" --run "$bin/nemboport" --run "$bin/NemboPortSettings" \
  --run "$root/$privlib/nemboport-pictures" "$root" 2>&1); then
  pass "no empty or relative RUNPATH entry; the programs start beside a planted Qt library"
else
  fail "RUNPATH" "$(grep -v '^PASS' <<<"$out")"
fi

# Another program prints through the library via its header and pkg-config file,
# and the library reports the package's version.
cat >"$scratch/client.c" <<'EOF'
#include <dravik.h>
#include <stdio.h>
int main(void) { puts(GetDravikDllVer()); return 0; }
EOF
pcflags=$(PKG_CONFIG_PATH="$root/usr/lib/$multiarch/pkgconfig" PKG_CONFIG_LIBDIR=/nonexistent \
  pkg-config --define-variable=prefix="$root/usr" --cflags --libs dravik 2>&1)
# shellcheck disable=SC2086
if cc -o "$scratch/client" "$scratch/client.c" $pcflags 2>"$scratch/cc.log" &&
   out=$("$scratch/client") && [ "$out" = "$version" ]; then
  pass "dravik.pc builds a client; library version $version"
else
  fail "dravik.pc client" "flags '$pcflags', output '${out:-}', $(cat "$scratch/cc.log")"
fi

# A damaged library where the installed programs find it is refused with its
# reason before the loader maps it (a truncated file made dlopen crash).
damaged=$scratch/damaged
cp -a "$root" "$damaged"
head -c 4096 "$lib_real" >"$scratch/truncated"
cp "$scratch/truncated" "$(readlink -f "$damaged/$privlib/libDravik.so")"
out=$("$damaged/usr/bin/nemboport" list 2>&1); rc=$?
if [ "$rc" = 1 ] && grep -q "truncated" <<<"$out"; then
  pass "a truncated installed library is refused: $out"
else
  fail "a truncated installed library" "status $rc: $out"
fi

if out=$(desktop-file-validate "$root/usr/share/applications/org.nemboport.NemboPortSettings.desktop" 2>&1) && [ -z "$out" ]; then
  pass "desktop-file-validate"
else
  fail "desktop-file-validate" "$out"
fi
metainfo=$root/usr/share/metainfo/org.nemboport.NemboPortSettings.metainfo.xml
if ! grep -qF "<release version=\"$version\"" "$metainfo"; then
  fail "metainfo" "its release is not $version"
elif out=$(appstreamcli validate --no-net "$metainfo" 2>&1); then
  pass "appstreamcli validate; release $version"
else
  fail "appstreamcli validate" "$out"
fi

finish
