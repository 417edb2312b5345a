#!/usr/bin/env bash
# Install what is needed, build the game (optimised) and start it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DIRONVALE_TESTS=OFF
cmake --build build/release
exec build/release/bin/ironvale-x11 "$@"
