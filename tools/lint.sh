#!/usr/bin/env bash
# The static gate: clang-tidy with the checks .clang-tidy names, over the programs' own sources in
# the default build's compile database, warnings as errors. Usage: tools/lint.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
tidy=$(command -v run-clang-tidy-14 || command -v run-clang-tidy)
"$tidy" -quiet -p "$build" -j "$(nproc)" \
  "^$PWD/(setup|launcher|handover|platform|gui|uninstall|record|unattended)/.*\\.cpp\$" >/tmp/velmora-lint.$$ 2>&1 ||
  { grep -E "error:|warning:" -A3 /tmp/velmora-lint.$$ | grep -v "^--$" | head -100; rm -f /tmp/velmora-lint.$$; exit 1; }
rm -f /tmp/velmora-lint.$$
echo "clang-tidy: clean"
