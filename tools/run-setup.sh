#!/usr/bin/env bash
# Builds both programs, lays out the installation medium and starts Setup.exe from it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset default
cmake --build --preset default -j "$(nproc)"

medium="$PWD/build/default/medium"
echo "Installation medium: $medium"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat <<MSG
There is no display here, so the installer window cannot be shown.
To see it anyway, run it on a virtual display and take a screenshot:
  bash tools/screenshot.sh            (writes docs/setup-window.png)
or serve it over VNC and connect a viewer to port 5900 (the build's own Setup.exe, with the
system's Qt and its VNC plugin, started from the medium):
  cd "$medium" && QT_QPA_PLATFORM=vnc "$PWD/build/default/setup/qt/Setup.exe"
MSG
  exit 0
fi
cd "$medium"
exec ./Setup.exe
