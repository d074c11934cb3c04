#!/usr/bin/env bash
# Sets up, builds and runs every test: first a short libFuzzer run of every parser (clang build),
# then the whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer under
# virtual X servers. Prints how long each stage took, what failed and one verdict line naming the
# file with the whole log.
# Environment: JOBS (default nproc), FUZZ_SECONDS (default 20, 0 skips fuzzing).
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-20}
# A compiler cache, when the machine has one, makes repeated runs fast.
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
tools/setup-debian.sh

# Prints how long a stage took: took <name> <start in $SECONDS>.
took() { echo "== stage $1 took $((SECONDS - $2)) s"; }

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
  start=$SECONDS
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DORVANE_FUZZ=ON -DORVANE_FUZZ_SECONDS="$FUZZ_SECONDS" >/dev/null
  quiet_build build-fuzz
  took "fuzz build" "$start"
  echo "== fuzzing each parser for ${FUZZ_SECONDS} s"
  start=$SECONDS
  fuzz_ok=1
  (cd build-fuzz && ctest -L fuzz -j "$JOBS" >/dev/null 2>&1) || fuzz_ok=0
  # One line per target from CTest's log: its executions and whether it found anything.
  awk '
    /^[0-9]+\/[0-9]+ Test: / { name = $3; runs = "?" }
    /^Done [0-9]+ runs/ { runs = $2 }
    /^Test Passed\./ { printf "  %-22s %12s executions, nothing found\n", name, runs }
    /^Test Failed\./ { printf "  %-22s %12s executions, FOUND A FAILURE (output in build-fuzz/Testing/Temporary/LastTest.log)\n", name, runs }
  ' build-fuzz/Testing/Temporary/LastTest.log
  took fuzzing "$start"
  if [ "$fuzz_ok" = 0 ]; then
    echo "fuzzing found a failure" >&2
    exit 1
  fi
fi

echo "== build (GCC, ASan + UBSan)"
start=$SECONDS
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "${LAUNCHER[@]}" >/dev/null
quiet_build build-test
took build "$start"
echo "== tests"
start=$SECONDS
cd build-test
log=$PWD/Testing/test.log
mkdir -p Testing
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# The window tests take one X display in turn (a CTest resource lock), so one CTest run on one
# server does them one after the other. The suite runs instead as a few shards, every shard-th
# test each (CTest's -I start,,stride), each shard on an X server of its own, so window tests of
# different shards run at the same time. The time-out keeps a stuck modal dialog from hanging a
# shard.
shards=$((JOBS / 2 > 1 ? JOBS / 2 : 1))
per_shard=$(((JOBS + shards - 1) / shards))
work=$(mktemp -d)
servers=()
trap 'kill "${servers[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
for k in $(seq "$shards"); do
  # Xvfb picks a free display itself and writes its number once it takes connections
  # (xvfb-run -a can give two servers started together the same number).
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display$k" >"$work/xvfb$k.log" 2>&1 &
  servers+=($!)
done
for k in $(seq "$shards"); do
  for _ in $(seq 300); do
    [ -s "$work/display$k" ] && break
    sleep 0.1
  done
  [ -s "$work/display$k" ] || { echo "the virtual X server did not start:" >&2; cat "$work/xvfb$k.log" >&2; exit 1; }
done
shard_runs=()
for k in $(seq "$shards"); do
  DISPLAY=:$(tr -d '\n' <"$work/display$k") ctest --output-on-failure --timeout 120 -j "$per_shard" \
    -I "$k,,$shards" >"$work/shard$k.log" 2>&1 &
  shard_runs+=($!)
done
status=0
for run in "${shard_runs[@]}"; do
  wait "$run" || status=1
done
for k in $(seq "$shards"); do
  echo "==== shard $k of $shards"
  cat "$work/shard$k.log"
done >"$log"
# Of the shards' logs: each failed test with its output, then one closing count and one list of
# failures over all shards, as CTest words them.
awk '
  /^==== shard / { failed = 0; listing = 0; next }
  /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / { failed = ($0 ~ /\*\*\*/) }
  /^ +Start +[0-9]+: / { next }
  /tests passed, [0-9]+ tests? failed out of/ { failed = 0; counts++; bad += $4; total += $NF; next }
  /^The following tests FAILED:/ { listing = 1; next }
  listing && /^\t/ { list = list $0 "\n"; next }
  { listing = 0 }
  failed { print }
  END {
    if (counts) {
      percent = total ? 100 * (total - bad) / total : 100
      if (bad && percent > 99) percent = 99
      printf "%d%% tests passed, %d tests failed out of %d\n", percent + 0.5, bad, total
    }
    if (list != "") printf "The following tests FAILED:\n%s", list
  }
' "$log"
for k in $(seq "$shards"); do
  grep -q 'tests failed out of' "$work/shard$k.log" || { echo "shard $k of $shards:"; tail -n 20 "$work/shard$k.log"; }
done
took tests "$start"
if [ "$status" = 0 ]; then
  echo "== tests: all passed (whole log: $log)"
else
  echo "== tests: FAILED (whole log: $log)"
fi
exit "$status"
