#!/usr/bin/env bash
# Builds and runs every test: the normal build (warnings as errors), the 32-bit
# settings library with its test program, and the sanitizer build.
#   --quick   only the normal build
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh

run() {
  local preset=$1
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
}

run ci
if [ "${1:-}" != "--quick" ]; then
  run i386
  run asan
fi
echo "all tests passed"
