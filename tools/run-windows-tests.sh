#!/usr/bin/env bash
# Builds both programs for 32-bit Windows with MinGW-w64 and runs the Windows tests under Wine,
# on a virtual display of their own.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh windows
cmake --preset windows
cmake --build --preset windows -j "$(nproc)"
# Large enough for the installer window at 192 dots per inch, which no window may outgrow.
xvfb-run -a -s "-screen 0 1600x1400x24" ctest --preset windows -j "$(nproc)"
