#!/usr/bin/env bash
# Takes docs/setup-window.png: the built Setup.exe, started from the installation medium on a
# virtual display, as a user first sees it. Builds nothing. Usage: screenshot.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."

build="$(realpath "${1:-build/default}")"
medium="$build/medium"
output="$PWD/docs/setup-window.png"
if [ ! -x "$medium/Setup.exe" ]; then
  echo "There is no $medium/Setup.exe: build first (cmake --build)." >&2
  exit 1
fi

# Without a "java" it can start, Setup.exe ends before its window shows; a stand-in will do.
stand_in="$(mktemp -d)"
trap 'rm -rf "$stand_in"' EXIT
if ! command -v java >/dev/null; then
  printf '#!/bin/sh\nexit 0\n' >"$stand_in/java"
  chmod +x "$stand_in/java"
  export PATH="$stand_in:$PATH"
fi

mkdir -p docs
# Setup.exe writes Install.log beside itself; the next build of the medium removes it again.
xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -dpi 96" \
  env QT_QPA_PLATFORM=xcb QT_FONT_DPI=96 bash -c '
    cd "$1"
    ./Setup.exe &
    setup=$!
    for _ in $(seq 100); do
      xwininfo -name "Velmora_KZ 2.0.1 Setup" >/dev/null 2>&1 && break
      sleep 0.1
    done
    sleep 1  # let it paint
    import -window "Velmora_KZ 2.0.1 Setup" "$2"
    kill "$setup"
  ' _ "$medium" "$output"
echo "Wrote $output"
