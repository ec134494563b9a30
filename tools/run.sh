#!/usr/bin/env bash
# Sets up, builds and starts a solo game against the computer player.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target lexiclash -j"$(nproc)"
mkdir -p build/play
cd build/play
exec ../bin/lexiclash "$@"
