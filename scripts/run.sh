#!/usr/bin/env bash
# Builds the project (Release) and runs the main program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${BUILD_DIR:-build-release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPALLIMER_TESTS=OFF
cmake --build "$build"
# Until the installer exists, the main program is the archive tool: show the packed payload.
"$build/tools/lzdpack/lzdpack" list "$build/product/setup.lzd"
