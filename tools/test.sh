#!/usr/bin/env bash
# Builds and runs every test: the normal build (warnings as errors), the 32-bit
# settings library with its test program, the sanitizer build, and every fuzz
# target briefly (tools/fuzz.sh, all at once).
#   --quick   only the normal build
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh

# Tests are independent (each has its own machine root and ephemeral ports), so
# they run on every core, and at least four at once: many wait on sockets and
# child programs. Each part's time is printed to keep CI time in view.
cores=$(nproc 2>/dev/null || echo 2)
jobs=$((cores > 4 ? cores : 4))

run() {
  local preset=$1
  local started=$SECONDS
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  local built=$SECONDS
  ctest --preset "$preset" -j "$jobs"
  echo "=== $preset: build $((built - started)) s, tests $((SECONDS - built)) s ==="
}

run ci
if [ "${1:-}" != "--quick" ]; then
  run i386
  run asan
  bash tools/fuzz.sh "${ZEL_FUZZ_SECONDS:-20}"
fi
echo "all tests passed"
