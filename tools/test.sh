#!/usr/bin/env bash
# Sets up, builds and runs every test: first a short libFuzzer run of every parser (clang build),
# then the whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer under a
# virtual X server. Prints what failed and one verdict line naming the file with the whole log.
# Environment: JOBS (default nproc), FUZZ_SECONDS (default 20, 0 skips fuzzing).
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-20}
# A compiler cache, when the machine has one, makes repeated runs fast.
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
tools/setup-debian.sh

# Runs a build quietly into a log; when it fails, shows each failed step with its messages.
quiet_build() {
  local dir=$1 log=$1/build.log
  if ! cmake --build "$dir" -j "$JOBS" >"$log" 2>&1; then
    sed -n '/^FAILED: /,/^\[[0-9]*\/[0-9]*\] /p' "$log" | head -n 200
    echo "== build failed (whole log: $PWD/$log)"
    exit 1
  fi
}

if [ "$FUZZ_SECONDS" != 0 ]; then
  echo "== fuzz build (clang)"
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DORVANE_FUZZ=ON -DORVANE_FUZZ_SECONDS="$FUZZ_SECONDS" >/dev/null
  quiet_build build-fuzz
  echo "== fuzzing each parser for ${FUZZ_SECONDS} s"
  fuzz_ok=1
  (cd build-fuzz && ctest -L fuzz -j "$JOBS" >/dev/null 2>&1) || fuzz_ok=0
  # One line per target from CTest's log: its executions and whether it found anything.
  awk '
    /^[0-9]+\/[0-9]+ Test: / { name = $3; runs = "?" }
    /^Done [0-9]+ runs/ { runs = $2 }
    /^Test Passed\./ { printf "  %-22s %12s executions, nothing found\n", name, runs }
    /^Test Failed\./ { printf "  %-22s %12s executions, FOUND A FAILURE (output in build-fuzz/Testing/Temporary/LastTest.log)\n", name, runs }
  ' build-fuzz/Testing/Temporary/LastTest.log
  if [ "$fuzz_ok" = 0 ]; then
    echo "fuzzing found a failure" >&2
    exit 1
  fi
fi

echo "== build (GCC, ASan + UBSan)"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "${LAUNCHER[@]}" >/dev/null
quiet_build build-test
echo "== tests"
cd build-test
log=$PWD/Testing/test.log
mkdir -p Testing
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# One X server for the whole run; the time-out keeps a stuck modal dialog from hanging it.
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 120 -j "$JOBS" >"$log" 2>&1 || status=$?
# Of CTest's log: each failed test with its output, the closing count and the list of failures.
awk '
  /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / { failed = ($0 ~ /\*\*\*/) }
  /^ +Start +[0-9]+: / { next }
  /tests passed, [0-9]+ tests? failed out of/ { failed = 0; print; next }
  /^The following tests FAILED:/ { listing = 1 }
  failed || listing { print }
' "$log"
if [ "$status" = 0 ]; then
  echo "== tests: all passed (whole log: $log)"
else
  grep -q 'tests failed out of' "$log" || tail -n 20 "$log"
  echo "== tests: FAILED (whole log: $log)"
fi
exit "$status"
