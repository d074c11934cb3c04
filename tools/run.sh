#!/usr/bin/env bash
# Sets up, builds and starts Orvane with its bundled models. Arguments go to the program
# (for example an installation file to open).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
exec build/bin/orvane "$@"
