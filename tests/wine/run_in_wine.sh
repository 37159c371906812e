#!/usr/bin/env bash
# run_in_wine.sh PREFIX PROGRAM [ARGUMENT...]
# Runs a 32-bit Windows program under Wine in the prefix PREFIX, which is made on first use: a
# 32-bit Windows, or with VELMORA_WINEARCH=win64 a 64-bit one on which the program runs as a
# 32-bit program does there (WOW64). Windows that programs open need an X display (DISPLAY;
# tools/run-windows-tests.sh provides one). With VELMORA_LOGPIXELS, the prefix's screen has that
# many dots per inch, as the display settings of Windows set it, from this program on.
set -euo pipefail

prefix=$1
shift
wine=${VELMORA_WINE:-/usr/lib/wine/wine}
wine64=${VELMORA_WINE64:-/usr/lib/wine/wine64}
wineserver=${VELMORA_WINESERVER:-/usr/lib/wine/wineserver}

export WINEPREFIX=$prefix WINEARCH=${VELMORA_WINEARCH:-win32}
export WINEDEBUG=${WINEDEBUG:--all}
# No .NET or browser engine: the prefix is made without asking to download them. No menu
# builder: a shortcut saved in a Start menu would otherwise become a menu entry of this desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The system code page is 1252, whatever the locale of the machine running the tests.
export LC_ALL=C.UTF-8

mkdir -p "$(dirname "$prefix")"
(
  flock 9
  # Made without a display: the window Wine shows while it makes a prefix would take the focus
  # from the windows other tests are driving at the same time.
  if [ ! -f "$prefix/system.reg" ]; then
    if [ "$WINEARCH" = win64 ]; then
      DISPLAY= "$wine64" wineboot --init >/dev/null 2>&1
    else
      DISPLAY= "$wine" wineboot --init >/dev/null 2>&1
    fi
    "$wineserver" --wait
  fi
  # Wine links a profile's Desktop, Documents and the like to the home folder's; installs under
  # test must stay in the prefix, so each becomes a folder of its own.
  for link in "$prefix"/drive_c/users/*/*; do
    if [ -L "$link" ]; then
      rm "$link" && mkdir "$link"
    fi
  done
) 9>"$prefix.lock"

# One server for the whole run, ending a while after the last program: starting a server for
# every test would cost a second each. It refuses to start when one is already running.
"$wineserver" -p15 </dev/null >/dev/null 2>&1 || true

if [ -n "${VELMORA_LOGPIXELS:-}" ]; then
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$VELMORA_LOGPIXELS" /f >/dev/null 2>&1
fi

# Wine's own helper processes outlive the program and keep whatever output they were given open,
# so the caller would wait for them: they get files, which are passed on once the program ends.
output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT
status=0
"$wine" "$@" </dev/null >"$output" 2>"$errors" || status=$?
cat "$output"
grep -v -F 'FS volume label and serial are not available' "$errors" >&2 || true
exit "$status"
