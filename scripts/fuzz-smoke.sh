#!/usr/bin/env bash
# Builds every fuzz target with clang and runs each briefly (SECONDS_EACH, default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPALLIMER_FUZZ=ON -DPALLIMER_TESTS=OFF
cmake --build "$build" --target fuzzers
each=${SECONDS_EACH:-20}
status=0
while IFS= read -r f; do
  name=$(basename "$f")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  # Seeds committed beside a target's source start its corpus.
  seeds="fuzz/$(basename "$(dirname "$f")")/seeds"
  [ -d "$seeds" ] || seeds=""
  echo "fuzz $name for ${each}s"
  if ! "$f" -max_total_time="$each" -rss_limit_mb=2048 "$corpus" $seeds > "$build/$name.log" 2>&1; then
    echo "fuzz target $name failed:"; tail -40 "$build/$name.log"; status=1
  fi
done < <(find "$build/fuzz" -type f -executable -not -path '*/CMakeFiles/*' | sort)
exit $status
