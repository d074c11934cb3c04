#!/usr/bin/env bash
# Sets up, builds and runs every test: first a short libFuzzer run of every parser (clang build),
# then the whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer under a
# virtual X server. Environment: JOBS (default nproc), FUZZ_SECONDS (default 20, 0 skips fuzzing).
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-20}
# A compiler cache, when the machine has one, makes repeated runs fast.
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
tools/setup-debian.sh

if [ "$FUZZ_SECONDS" != 0 ]; then
  echo "== fuzz build (clang)"
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DORVANE_FUZZ=ON -DORVANE_FUZZ_SECONDS="$FUZZ_SECONDS" >/dev/null
  cmake --build build-fuzz -j "$JOBS"
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
cmake --build build-test -j "$JOBS"
echo "== tests"
cd build-test
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# One X server for the whole run; the time-out keeps a stuck modal dialog from hanging it.
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 120 -j "$JOBS"
