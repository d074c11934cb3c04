#!/usr/bin/env bash
# Sets up, builds and starts Orvane with its bundled models. Builds only what it starts: the
# program, its data beside it, the flash-image library and the simulated panel (for the
# README's panelsim command), not the test programs. Arguments go to the program (for example an
# installation file to open).
set -euo pipefail
start=$PWD
cd "$(dirname "$0")/.."
root=$PWD
tools/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target orvane orvane_data pardex panelsim_program
echo "== Orvane runs from $root/build/bin (config.xml, models/, icons/ and samples/ are there)"
# From the folder it was started in, so a relative installation path means what it says.
cd "$start"
exec "$root/build/bin/orvane" "$@"
