#!/usr/bin/env bash
# Sets up, builds and starts Orvane with its bundled models. Builds only what it starts: the
# program, its data beside it, the flash-image library and the simulated panel (for the
# README's panelsim command), not the test programs. Arguments go to the program (for example an
# installation file to open). Environment: JOBS (default nproc).
set -euo pipefail
start=$PWD
cd "$(dirname "$0")/.."
root=$(pwd -P)
JOBS=${JOBS:-$(nproc)}
tools/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS" --target orvane orvane_data pardex panelsim_program
echo "== Orvane runs from $root/build/bin (config.xml, models/, icons/ and samples/ are there)"
# From the folder it was started in, so a relative installation path means what it says.
cd "$start"
# A file of the checkout's samples/ is tracked: the program opens the copy beside it instead,
# so "Guardar" never changes the checkout.
args=()
for arg in "$@"; do
  path=$(realpath -e -- "$arg" 2>/dev/null || true)
  if [ -f "$path" ] && [[ $path == "$root/samples/"* ]]; then
    copy="$root/build/bin/samples/${path#"$root/samples/"}"
    echo "== $arg is the checkout's own copy: opening $copy"
    arg=$copy
  fi
  args+=("$arg")
done
exec "$root/build/bin/orvane" "${args[@]}"
