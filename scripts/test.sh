#!/usr/bin/env bash
# Sets up, builds and runs every check: the layout of the sources
# (clang-format); the whole test suite under AddressSanitizer +
# UndefinedBehaviorSanitizer (warnings as errors); clang-tidy over the
# program's sources; the library's and the tool's suites under
# ThreadSanitizer; the Debian package, built in Release with warnings as
# errors and checked; the fuzz targets built (not run) where clang is.
#
# Once the sanitizer tree is built, two lanes run side by side, so the
# compilers and clang-tidy use the processors while the suites wait on their
# servers and time-outs:
#   A: the sanitizer tree's suites, the ThreadSanitizer tree and its suites,
#      the fuzz targets;
#   B: clang-tidy, the package.
# Each step's output is printed once it ends; each step's time at the end.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

logs=$(mktemp -d)
cleanup() {
  rm -rf "$logs"
  [ -n "${own_runtime_dir:-}" ] && rm -rf "$own_runtime_dir"
}
trap cleanup EXIT

load() { cut -d' ' -f1 /proc/loadavg; }
load_at_start=$(load)
started=$EPOCHREALTIME

# step NAME COMMAND...: runs one step, its output into its log, then prints
# the log whole (one step at a time, whichever lane it is in) and records its
# time and outcome.
step() {
  local name=$1; shift
  local file=${name// /-}
  local t0=$EPOCHREALTIME rc seconds
  { flock 9; echo "== $name: started"; } 9>"$logs/print.lock"
  "$@" >"$logs/$file.log" 2>&1
  rc=$?
  seconds=$(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { printf "%d", b - a + 0.5 }')
  printf '%s\t%s\t%s\n' "$name" "$seconds" "$rc" >>"$logs/times"
  {
    flock 9
    echo "== $name"
    cat "$logs/$file.log"
    if [ "$rc" -eq 0 ]; then
      printf '== %s: passed in %d:%02d\n' "$name" $((seconds / 60)) $((seconds % 60))
    else
      printf '== %s: FAILED (status %d) after %d:%02d\n' "$name" "$rc" $((seconds / 60)) $((seconds % 60))
    fi
  } 9>"$logs/print.lock"
  return "$rc"
}
# skipped NAME REASON: a step that could not run.
skipped() {
  printf '%s\t-\tskipped: %s\n' "$1" "$2" >>"$logs/times"
  { flock 9; echo "== $1 skipped: $2"; } 9>"$logs/print.lock"
}

# What compiling needs first; the rest (the print server, fonts, clang-tidy,
# clang, the packaging tools) installs while the sanitizer tree builds.
step setup bash scripts/setup.sh build || exit 1
step "setup rest" bash scripts/setup.sh &
setup_rest_pid=$!

export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  own_runtime_dir=$(mktemp -d)
  XDG_RUNTIME_DIR=$own_runtime_dir
fi
export XDG_RUNTIME_DIR
chmod 0700 "$XDG_RUNTIME_DIR"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Qt is not built with ThreadSanitizer: tests/tsan.supp leaves its insides out.
tsan_options="halt_on_error=1:die_after_fork=0:second_deadlock_stack=1:suppressions=$top/tests/tsan.supp"

asan=$top/build-test-asan
tsan=$top/build-test-tsan
fuzz=$top/build-test-fuzz
status=0

step format bash scripts/check_format.sh || status=1

# Every suite, in one tree: AddressSanitizer + UndefinedBehaviorSanitizer,
# warnings as errors (but those the sanitizers' code makes GCC misjudge),
# each target's sources compiled in unity batches (the package's tree
# compiles them one by one).
asan_built=1
step "asan build" bash scripts/build.sh "$asan" -DNPS_SANITIZE=ON -DNPS_UNITY=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON ||
  { status=1; asan_built=0; }

# The fuzz targets need clang and its libFuzzer run-time.
fuzz_compiler() {
  command -v clang++ >/dev/null &&
    echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }' |
    clang++ -x c++ -fsanitize=fuzzer - -o "$logs/fuzz-probe" >/dev/null 2>&1
}

wait "$setup_rest_pid" || exit 1

lane_a() {
  local rc=0
  # Three at a time: the suites mostly wait on their servers and time-outs
  # (the slowest, which start servers, go first).
  if [ "$asan_built" = 1 ]; then
    step "asan tests" ctest --test-dir "$asan" --output-on-failure -j3 --timeout 300 || rc=1
  else
    skipped "asan tests" "the tree did not build"
  fi
  # The threaded suites that need no widgets: the library's and the tool's.
  if step "tsan build" bash scripts/build.sh "$tsan" -DNPS_TSAN=ON -DNPS_UNITY=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
    -- nps_tsan_suites; then
    step "tsan tests" env TSAN_OPTIONS="$tsan_options" \
      ctest --test-dir "$tsan" -L tsan --output-on-failure -j3 --timeout 300 || rc=1
  else
    rc=1
    skipped "tsan tests" "the tree did not build"
  fi
  # Built so they cannot rot (unoptimised: nothing runs them here); run on
  # demand from the fuzz preset's tree (fuzz/README.md).
  if fuzz_compiler; then
    step "fuzz build" bash scripts/build.sh "$fuzz" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DNPS_FUZZ=ON -DNPS_UNITY=ON -DNPS_BUILD_TESTS=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O0" -- nps_fuzzers || rc=1
  else
    skipped "fuzz build" "no clang++ with libFuzzer here"
  fi
  return $rc
}

lane_b() {
  local rc=0
  # clang-tidy on the sanitizer tree's compile commands; a source unchanged
  # since its last clean run is not checked again.
  if [ -f "$asan/compile_commands.json" ]; then
    step tidy bash scripts/tidy.sh "$asan" || rc=1
  else
    rc=1
    skipped tidy "the sanitizer tree has no compile commands"
  fi
  # Once, in a Release tree of its own (warnings as errors): the Debian
  # package, unpacked and run.
  step package bash tests/packaging/test_package.sh || rc=1
  return $rc
}

lane_a &
lane_a_pid=$!
lane_b &
lane_b_pid=$!
wait "$lane_a_pid" || status=1
wait "$lane_b_pid" || status=1

total=$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%d", b - a + 0.5 }')
echo "== step times (load average $load_at_start at the start, $(load) at the end; lanes A and B overlap)"
awk -F'\t' '{
  t = ($2 == "-") ? "-" : sprintf("%d:%02d", $2 / 60, $2 % 60)
  r = ($3 == "0") ? "passed" : ($3 ~ /^skipped/ ? $3 : "FAILED")
  printf "  %-12s %6s  %s\n", $1, t, r
}' "$logs/times"
printf '  %-12s %3d:%02d  %s\n' total $((total / 60)) $((total % 60)) "$([ $status -eq 0 ] && echo passed || echo FAILED)"
# The processor time every step took together (user and system).
times >"$logs/processor"
awk 'NR == 2 { print "  processor time: " $1 " user, " $2 " system" }' "$logs/processor"
exit $status
