#!/usr/bin/env bash
# The medium on a desktop without Qt. In a private mount namespace that hides the system's Qt
# libraries and plugins: Setup.exe from the medium shows its window on an X11 display and on a
# Wayland one, and a launcher copy whose application folder holds the medium's toolkit starts the
# application and shows its window, or its error box when the load fails; without any toolkit it
# still starts the application, then says why it shows nothing and exits non-zero. The
# Uninstall.exe Setup puts in that application folder shows its box with the toolkit there.
# Usage: bundled_runtime_test.sh MEDIUM BUILT_SETUP
set -euo pipefail
medium=$(realpath "$1")
built_setup=$(realpath "$2")

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: hiding the system's libraries takes root (a private mount namespace)"
  exit 77
fi
if ! unshare -m --propagation private true 2>/dev/null; then
  echo "SKIP: no private mount namespace here"
  exit 77
fi
for tool in Xvfb xwd weston; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (tools/install-deps.sh)"; exit 77; }
done
qt_core=$(ldd "$built_setup" | awk '$1 ~ /^libQt6Core/ { print $3 }')
[ -n "$qt_core" ] || { echo "FAIL: the built Setup.exe does not use a system Qt"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 0755 "$work"
cp -r "$medium" "$work/medium"
mkdir -p "$work/bin" "$work/app" "$work/desktop"
chmod 0755 "$work/app"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/java"
printf '#!/bin/sh\npwd > started.tmp && mv started.tmp started\n' >"$work/app/Velmora_KZ.exe"
chmod 0755 "$work/bin/java" "$work/app/Velmora_KZ.exe"
cp "$medium/Velmora_KZ.2.0.1.exe" "$work/desktop/"

unshare -m --propagation private bash -s "$work" "$(dirname "$(realpath "$qt_core")")" \
  "$built_setup" <<'INSIDE'
set -euo pipefail
work=$1 libraries=$2 built_setup=$3
export PATH="$work/bin:$PATH" XDG_RUNTIME_DIR="$work/runtime"
unset QT_QPA_PLATFORM QT_PLUGIN_PATH LD_LIBRARY_PATH WAYLAND_DISPLAY DISPLAY
mkdir -m 0700 "$XDG_RUNTIME_DIR"
status=0
fail() { echo "FAIL: $*"; status=1; }

# The library folder again, every entry but Qt's, as links to the real one; mounted over it in
# one step, since every program started afterwards loads its C library from there.
mkdir "$work/real" "$work/without-qt"
mount --bind "$libraries" "$work/real"
ln -s "$work/real"/* "$work/without-qt/"
rm -rf "$work/without-qt"/libQt6* "$work/without-qt/qt6"
mount --bind "$work/without-qt" "$libraries"

# Proof that the system's Qt is out of reach: the program built against it no longer starts.
set +e
"$built_setup" >/dev/null 2>"$work/built.err"
code=$?
set -e
[ "$code" -eq 127 ] && grep -q 'libQt6' "$work/built.err" ||
  fail "the system's Qt is still found (exit $code: $(cat "$work/built.err"))"

# Waits until command succeeds, or says why the program with that pid ended first.
wait_for() {
  local pid=$1 what=$2
  shift 2
  until "$@" >/dev/null 2>&1; do
    if ! kill -0 "$pid" 2>/dev/null; then
      fail "$what: the program ended first"
      return 1
    fi
    sleep 0.1
  done
}
stop() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }
# The application runs apart from the launcher, which may end before it has written its note; a
# minute is only there so that a start that never comes fails with its reason.
started_in() {
  local tries=600
  until [ "$(cat "$work/app/started" 2>/dev/null)" = "$1" ] || [ "$tries" -eq 0 ]; do
    sleep 0.1
    tries=$((tries - 1))
  done
  [ "$tries" -gt 0 ]
}

Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>"$work/display" 2>/dev/null &
xvfb=$!
until [ -s "$work/display" ]; do sleep 0.1; done
x_display=":$(cat "$work/display")"

echo "== Setup.exe on X11"
(cd "$work/medium" && exec env DISPLAY="$x_display" ./Setup.exe) 2>"$work/setup-x11.err" &
setup=$!
wait_for "$setup" "Setup.exe on X11" \
  xwd -silent -display "$x_display" -name "Velmora_KZ 2.0.1 Setup" || cat "$work/setup-x11.err"
grep -q "$work/medium/qt-runtime/platforms/libqxcb.so" "/proc/$setup/maps" 2>/dev/null ||
  fail "Setup.exe did not take the bundled xcb plugin"
stop "$setup"

echo "== Setup.exe on Wayland"
weston --backend=headless-backend.so --socket=velmora-test --idle-time=0 >/dev/null 2>&1 &
weston=$!
until [ -S "$XDG_RUNTIME_DIR/velmora-test" ]; do sleep 0.1; done
(cd "$work/medium" && exec env WAYLAND_DISPLAY=velmora-test XDG_SESSION_TYPE=wayland \
  QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 ./Setup.exe) 2>"$work/setup-wayland.log" &
setup=$!
# The window is there once the compositor has its title and a picture of it.
shown() {
  grep -q 'set_title("Velmora_KZ 2.0.1 Setup")' "$work/setup-wayland.log" &&
    grep -q 'wl_surface@[0-9]*\.attach(wl_buffer' "$work/setup-wayland.log"
}
wait_for "$setup" "Setup.exe on Wayland" shown || grep -v '^\[' "$work/setup-wayland.log" | tail
stop "$setup"
stop "$weston"

echo "== a launcher copy"
mount -t tmpfs -o mode=0755 tmpfs /opt
mkdir -m 0755 /opt/Velmora_KZ
cp -r "$work/medium/qt-runtime" /opt/Velmora_KZ/
printf '%s\r\n' "$work/app" >/opt/Velmora_KZ/Start_up.txt
DISPLAY="$x_display" "$work/desktop/Velmora_KZ.2.0.1.exe" 2>"$work/launcher.err" &
launcher=$!
wait_for "$launcher" "the launcher's window" xwd -silent -display "$x_display" -name Form1 ||
  cat "$work/launcher.err"
started_in "$work/app" || fail "the application was not started"
stop "$launcher"

echo "== the installed Uninstall.exe"
cp "$work/medium/Uninstall.exe" /opt/Velmora_KZ/
(cd / && exec env DISPLAY="$x_display" /opt/Velmora_KZ/Uninstall.exe) 2>"$work/uninstall.err" &
uninstall=$!
wait_for "$uninstall" "Uninstall.exe" \
  xwd -silent -display "$x_display" -name "Uninstall Velmora_KZ 2.0.1" || cat "$work/uninstall.err"
grep -q "/opt/Velmora_KZ/qt-runtime/platforms/libqxcb.so" "/proc/$uninstall/maps" 2>/dev/null ||
  fail "Uninstall.exe did not take the bundled xcb plugin"
stop "$uninstall"
rm /opt/Velmora_KZ/Uninstall.exe

echo "== a launcher copy with no toolkit anywhere"
mv /opt/Velmora_KZ/qt-runtime "$work/toolkit-away"
rm -f "$work/app/started"
set +e
DISPLAY="$x_display" "$work/desktop/Velmora_KZ.2.0.1.exe" 2>"$work/launcher.err"
code=$?
set -e
[ "$code" -ne 0 ] || fail "the launcher without its window ended with status 0"
grep -q "cannot load its window" "$work/launcher.err" || fail "the launcher said nothing on its standard error"
started_in "$work/app" || fail "the application was not started first"
mv "$work/toolkit-away" /opt/Velmora_KZ/qt-runtime

echo "== a launcher copy after a failed load"
printf '%s\r\n' "$work/gone" >/opt/Velmora_KZ/Start_up.txt
DISPLAY="$x_display" "$work/desktop/Velmora_KZ.2.0.1.exe" 2>"$work/launcher.err" &
launcher=$!
wait_for "$launcher" "the launcher's error box" xwd -silent -display "$x_display" -name Project1 ||
  cat "$work/launcher.err"
stop "$launcher"

stop "$xvfb"
exit $status
INSIDE
