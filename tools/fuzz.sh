#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each for a while
# (FUZZ_SECONDS, 60 by default). New inputs go to build/fuzz/corpus, crashes to build/fuzz/crashes.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/fuzz
seconds=${FUZZ_SECONDS:-60}
targets=(first_line log_line)

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMORA_BUILD_GUI=OFF -DVELMORA_FUZZ=ON
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/%/_fuzzer}"

mkdir -p "$build/crashes"
for target in "${targets[@]}"; do
  echo "== $target: ${seconds}s =="
  mkdir -p "$build/corpus/$target"
  "$build/tests/fuzz/${target}_fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$target-" "$build/corpus/$target" "tests/fuzz/corpus/$target"
done
