#!/usr/bin/env bash
# Writes PNG pictures of the main window in its main states into build/screenshots/: builds the
# screenshot program (tools/screens) in build/ and runs every shot, each in its own process,
# under a virtual X server. Look at them after a change to the window. Environment: JOBS
# (default nproc).
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}
tools/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS" --target screens orvane_data pardex
out="$PWD/build/screenshots"
mkdir -p "$out"
cd build/bin
mapfile -t shots < <(./screens --gtest_list_tests | awk '/^[^ ]/ {suite=$1} /^  / {print suite $1}')
failed=0
for shot in "${shots[@]}"; do
  if ORVANE_SCREENSHOTS="$out" xvfb-run -a -s "-screen 0 1280x1024x24" ./screens --gtest_filter="$shot" >/tmp/screens.$$.log 2>&1; then
    echo "ok   $shot"
  else
    echo "FAIL $shot"; sed -n '/Failure/,+4p' /tmp/screens.$$.log; failed=1
  fi
done
rm -f /tmp/screens.$$.log
echo "pictures in $out"
exit $failed
