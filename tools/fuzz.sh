#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs them one per core at a time, each for
# SECONDS (default 20), from its committed seeds. A finding is written to
# build-fuzz/findings/ and makes the script fail. ZEL_FUZZ_JOBS sets how many
# run at once (default: the number of cores, at least 2); ZEL_FUZZ_TIMEOUT the
# seconds one input may take before it counts as a hang (default 60: the
# targets that drive the whole driver take a second or two on a starved core).
#   tools/fuzz.sh [SECONDS] [TARGET...]
# For a long run at low priority: nice tools/fuzz.sh 600
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
build=build-fuzz

started=$SECONDS
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEL_FUZZ=ON -DZEL_SANITIZE=ON -DZEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzzers
built=$SECONDS

targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  for source in fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

mkdir -p "$build/findings" "$build/logs"
# The fuzzers run without a display and without a real machine of their own.
export ZEL_MACHINE_ROOT="$PWD/$build/machine"
export ZEL_DISPLAY=off
parallel=${ZEL_FUZZ_JOBS:-$(nproc 2>/dev/null || echo 2)}
if [ "$parallel" -lt 2 ]; then parallel=2; fi
timeout=${ZEL_FUZZ_TIMEOUT:-60}
pids=()
for target in "${targets[@]}"; do
  # More targets than cores would only starve each other into false hangs.
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  seeds=()
  if [ -d "fuzz/seeds/$target" ]; then seeds=("fuzz/seeds/$target"); fi
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target-" "$corpus" "${seeds[@]}" >"$build/logs/$target.log" 2>&1 &
  pids+=($!)
done

failed=()
for i in "${!targets[@]}"; do
  if ! wait "${pids[$i]}"; then failed+=("${targets[$i]}"); fi
done
for target in "${targets[@]}"; do
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/logs/$target.log" | grep -o '[0-9]*$' || echo "?")
  echo "$target: $runs runs"
done
echo "=== fuzz: build $((built - started)) s, runs $((SECONDS - built)) s ==="
if [ "${#failed[@]}" -gt 0 ]; then
  for target in "${failed[@]}"; do
    echo "--- $target found a fault (log: $build/logs/$target.log) ---"
    grep -m1 -A12 'ERROR:\|runtime error' "$build/logs/$target.log" || tail -n 20 "$build/logs/$target.log"
  done
  exit 1
fi
echo "fuzzing found nothing"
