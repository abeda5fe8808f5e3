#!/usr/bin/env bash
# Builds the installer (Release) and starts it: on the desktop when there is a display;
# without one, on a virtual X server, where a driver walks through the default
# installation as a user would, saves a picture of every step under the build folder and
# prints what was installed (scripts/demo-install.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${BUILD_DIR:-build-release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPALLIMER_TESTS=OFF
cmake --build "$build" --target tessaly-setup pallimer-reg
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/setup/tessaly-setup"
fi
exec scripts/demo-install.sh "$build"
