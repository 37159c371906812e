#!/usr/bin/env bash
# Shows the Win32 installer window under Wine on a virtual display, in a Wine desktop that draws
# its frame, and saves a picture of it at 96 dots per inch as docs/setup-window-wine.png and at
# 144 (150 %, set as Windows sets it: LogPixels) as docs/setup-window-wine-144.png.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

bash tools/install-deps.sh windows
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target medium wine_java_stand_in

build=$top/build/windows
prefix=$build/wine-screenshot
wine=/usr/lib/wine/wine
wineserver=/usr/lib/wine/wineserver
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# A prefix of its own, with the medium in it and a stand-in "java" among the system's programs.
bash tests/wine/run_in_wine.sh "$prefix" cmd /c exit
medium="$prefix/drive_c/Velmora_KZ medium"
rm -rf "$medium"
mkdir -p "$medium"
cp "$build"/medium/* "$medium"/
cp "$build/tests/wine/java-bin/java.exe" "$prefix/drive_c/windows/java.exe"
# Wine's own fonts (the frame's buttons are drawn with Marlett), and substitutes for the layout's
# fonts where Wine has none of that name.
if [ -d /usr/share/wine/fonts ]; then
  cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
fi
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Verdana /d 'DejaVu Sans' /f >/dev/null
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Arial Black' /d 'DejaVu Sans' /f \
  >/dev/null
"$wineserver" --wait

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1100x1100x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
setup=""
cleanup() {
  if [ -n "$setup" ]; then kill "$setup" 2>/dev/null || true; fi
  "$wineserver" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
mkdir -p "$top/docs"

# shoot DOTS_PER_INCH DESKTOP_SIZE CROP FILE
shoot() {
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  (cd "$medium" && exec "$wine" explorer /desktop=Velmora,"$2" Setup.exe >/dev/null 2>&1) &
  setup=$!
  for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q 'Velmora - Wine desktop' && break
    sleep 0.2
  done
  # Time for the window to be drawn once the desktop is there.
  sleep 4
  import -window root -crop "$3" "$top/docs/$4"
  echo "Saved docs/$4"
  kill "$setup" 2>/dev/null || true
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" --wait 2>/dev/null || true
  setup=""
}

shoot 96 800x720 660x660+0+0 setup-window-wine.png
shoot 144 1100x1100 990x990+0+0 setup-window-wine-144.png
