#!/usr/bin/env bash
# Builds both programs for 32-bit Windows with MinGW-w64 and runs the Windows tests under Wine,
# on a virtual display of their own. On a machine whose kernel runs no 32-bit code, 32-bit Wine
# cannot start: the 32-bit medium is then built and checked as shipped, and the same tests run on
# a 64-bit build under 64-bit Wine. The tests tests/wine/known_failures.txt names are faults of
# the Windows code still open: they are listed, not run, until they are mended.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh windows
preset=windows
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  cmake --preset windows -DVELMORA_WINE_TESTS=ON
else
  echo "This machine runs no 32-bit code: the Windows tests run on the 64-bit build (windows64)."
  cmake --preset windows -DVELMORA_WINE_TESTS=OFF
  cmake --build --preset windows -j "$(nproc)"
  ctest --preset windows -j "$(nproc)"
  preset=windows64
  cmake --preset windows64
fi
cmake --build --preset "$preset" -j "$(nproc)"
known=$(grep -v -e '^#' -e '^$' tests/wine/known_failures.txt | cut -d' ' -f1 | paste -sd'|' || true)
left_out=()
if [ -n "$known" ]; then
  echo "Open faults, not run: ${known//|/ }"
  left_out=(-E "^windows\\.(${known})( |\$)")
fi
# Large enough for the installer window at 192 dots per inch, which no window may outgrow.
xvfb-run -a -s "-screen 0 1600x1400x24" ctest --preset "$preset" -j "$(nproc)" "${left_out[@]}"
