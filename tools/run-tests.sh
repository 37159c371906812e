#!/usr/bin/env bash
# Checks the formatting, then builds everything and runs every test: the default build (with the
# valgrind run) and its static gate (clang-tidy), the same suite under ASan + UBSan, the fuzzers
# for a bounded time, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh windows

# First, so that an unformatted source fails the run before anything is built.
echo "== format =="
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

export QT_QPA_PLATFORM=offscreen
# The compiler cache serves every clone of the project, wherever it is.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

for preset in default sanitize; do
  echo "== $preset =="
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$(nproc)"
  ctest --preset "$preset" -j "$(nproc)"
  if [ "$preset" = default ]; then
    echo "== clang-tidy =="
    bash tools/lint.sh build/default
  fi
done

echo "== fuzz =="
# Half a minute a target keeps CI short; tools/fuzz.sh alone runs longer.
FUZZ_SECONDS="${FUZZ_SECONDS:-30}" bash tools/fuzz.sh

echo "== windows =="
bash tools/run-windows-tests.sh
