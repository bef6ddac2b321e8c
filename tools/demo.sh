#!/usr/bin/env bash
# The system's main job as far as it is built: set up a fresh stand-in machine,
# add a printer for the shipped colour model (the spooler stand-in runs the
# driver's own printer set-up, which creates the package folders and stores the
# printer's settings), and show the folders and what the settings store holds.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target zelmachine zeldb5 zeluid5 | tail -1

export ZEL_MACHINE_ROOT="$PWD/build/demo-machine"
rm -rf "$ZEL_MACHINE_ROOT"
build/bin/zelmachine init
echo "--- printer set-up"
build/bin/zelmachine add-printer "Nardo C5545" data/models/nardo-c5545.ini
echo "--- package folders"
build/bin/zelmachine folders
echo "--- settings"
build/bin/zelmachine show "Nardo C5545"
