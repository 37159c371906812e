#!/usr/bin/env bash
# Builds everything and runs every test: the default build, then the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
export QT_QPA_PLATFORM=offscreen

for preset in default sanitize; do
  echo "== $preset =="
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$(nproc)"
  ctest --preset "$preset" -j "$(nproc)"
done
