#!/usr/bin/env bash
# The system's main job as far as it is built: set up a fresh stand-in machine
# with the package folders, add a sample printer with a minimal model
# description, and show what the settings store holds for it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

export ZEL_MACHINE_ROOT="$PWD/build/demo-machine"
rm -rf "$ZEL_MACHINE_ROOT"
build/bin/zelmachine init
echo "--- package folders"
build/bin/zelmachine setup-folders
echo "--- printer set-up"
build/bin/zelmachine add-printer "Nardo Sample" data/models/nardo5-sample.ini
echo "--- settings"
build/bin/zelmachine show "Nardo Sample"
